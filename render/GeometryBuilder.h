#pragma once

#include "math/MeshGeometry.h"
#include "math/Vector3.h"

// Generates the vertex arrays of the render objects. Kept free of GL so that the
// geometry can be checked headless; the render objects upload what it writes.
class GeometryBuilder {
public:
    static constexpr int BOX_VERTEX_COUNT = 24;  // six faces of four strip-ordered vertices
    static constexpr int MIN_SPHERE_PRECISION = 4;
    // Above this a sphere would need millions of vertices (and overflow the count);
    // 256 slices still give a round silhouette at any distance in the game.
    static constexpr int MAX_SPHERE_PRECISION = 256;

    // Replaces geometry's vertex array by the 24 vertices of a box of the given size
    // around center (see texture extents below). Indices are left alone.
    static void box(MeshGeometry& geometry, const Vector3& center, float width, float height, float depth,
                    const Vector3& uTex, const Vector3& vTex);

    // The texture extents (U, V) of the box faces: with only uTex.x given (all other
    // components exactly 0) the texture repeats every uTex.x units; otherwise the
    // two vectors are the extents as they stand.
    static void boxTextureExtents(float width, float height, float depth, const Vector3& uTex,
                                  const Vector3& vTex, Vector3& u, Vector3& v);

    // precision raised to MIN_SPHERE_PRECISION and bounded by MAX_SPHERE_PRECISION.
    static int spherePrecision(int precision);
    // Vertices of a sphere strip of an already bounded precision: (n/2) bands of
    // (n+1) vertex pairs.
    static int sphereVertexCount(int precision);

    // Replaces geometry's vertex array by one triangle strip over the sphere's bands
    // (degenerate triangles join them). |radius| is used; precision must be bounded
    // by spherePrecision.
    static void sphere(MeshGeometry& geometry, float radius, int precision, const Vector3& center);

    // Tangent frames of an indexed triangle mesh from its positions, normals and
    // texture coordinates, accumulated per triangle. Triangles whose texture
    // coordinates span no area add nothing; a vertex left without a usable
    // direction gets some tangent perpendicular to its normal.
    static void meshTangents(MeshGeometry& geometry);
};
