#include "physics/MeshMass.h"

#include "physics/CookedTriangleMesh.h"

#include <LinearMath/btConvexHullComputer.h>

#include <array>
#include <cmath>
#include <map>
#include <tuple>
#include <vector>

namespace {

using Triangle = std::array<btVector3, 3>;

btMatrix3x3 outer(const btVector3& a, const btVector3& b)
{
    return btMatrix3x3(a.x() * b.x(), a.x() * b.y(), a.x() * b.z(), a.y() * b.x(), a.y() * b.y(), a.y() * b.z(),
                       a.z() * b.x(), a.z() * b.y(), a.z() * b.z());
}

// Sums the signed tetrahedra from a reference point to every triangle; for a
// closed surface the outside cancels and the solid remains. The covariance of
// a tetrahedron with corners 0, a, b, c is det / 120 (aa' + bb' + cc' + ss'), s = a + b + c.
MeshMass integrate(const std::vector<Triangle>& triangles)
{
    MeshMass mass;
    if (triangles.empty())
        return mass;
    btVector3 reference(0, 0, 0);
    for (const Triangle& t : triangles)
        reference += (t[0] + t[1] + t[2]) / btScalar(3 * triangles.size());

    btScalar sixVolume = 0.0f;
    btVector3 moment(0, 0, 0);  // 24 x the first moment
    btMatrix3x3 covariance(0, 0, 0, 0, 0, 0, 0, 0, 0);
    for (const Triangle& t : triangles) {
        const btVector3 a = t[0] - reference, b = t[1] - reference, c = t[2] - reference;
        const btScalar det = a.dot(b.cross(c));
        const btVector3 s = a + b + c;
        sixVolume += det;
        moment += s * det;
        const btMatrix3x3 sum = outer(a, a) + outer(b, b) + outer(c, c) + outer(s, s);
        covariance = covariance + sum * (det / 120.0f);
    }
    if (sixVolume < 0.0f) {  // wound inside out
        sixVolume = -sixVolume;
        moment = -moment;
        covariance = covariance * -1.0f;
    }
    if (!(sixVolume > 0.0f))
        return mass;
    mass.volume = sixVolume / 6.0f;
    const btVector3 centre = moment / (4.0f * sixVolume);
    const btMatrix3x3 aboutCentre = covariance - outer(centre, centre) * mass.volume;
    const btScalar trace = aboutCentre[0][0] + aboutCentre[1][1] + aboutCentre[2][2];
    mass.inertia = btMatrix3x3::getIdentity() * trace - aboutCentre;
    mass.centre = centre + reference;
    return mass;
}

// Triangles of a surface that closes on itself, with vertices joined by
// position (meshes repeat a position for each texture seam); none when an
// edge lacks its one opposite partner.
bool closedSurface(const CookedTriangleMesh& mesh, std::vector<Triangle>& triangles)
{
    const std::vector<float>& p = mesh.positions();
    std::map<std::tuple<float, float, float>, int> byPosition;
    std::vector<int> weld(std::size_t(mesh.vertexCount()));
    for (std::size_t v = 0; v < weld.size(); ++v)
        weld[v] = byPosition.emplace(std::make_tuple(p[3 * v], p[3 * v + 1], p[3 * v + 2]), int(byPosition.size()))
                      .first->second;

    std::map<std::pair<int, int>, int> edges;  // directed edge, count
    const std::vector<std::uint32_t>& indices = mesh.triangles();
    for (std::size_t t = 0; t + 2 < indices.size(); t += 3) {
        const int corner[3] = {weld[indices[t]], weld[indices[t + 1]], weld[indices[t + 2]]};
        if (corner[0] == corner[1] || corner[1] == corner[2] || corner[0] == corner[2])
            continue;
        for (int i = 0; i < 3; ++i)
            ++edges[{corner[i], corner[(i + 1) % 3]}];
        Triangle triangle;
        for (int i = 0; i < 3; ++i) {
            const std::size_t v = indices[t + std::size_t(i)];
            triangle[std::size_t(i)] = btVector3(p[3 * v], p[3 * v + 1], p[3 * v + 2]);
        }
        triangles.push_back(triangle);
    }
    for (const auto& [edge, count] : edges) {
        const auto opposite = edges.find({edge.second, edge.first});
        if (count != 1 || opposite == edges.end() || opposite->second != 1) {
            triangles.clear();
            return false;
        }
    }
    return !triangles.empty();
}

std::vector<Triangle> hullTriangles(const CookedTriangleMesh& mesh)
{
    btConvexHullComputer hull;
    hull.compute(mesh.positions().data(), int(3 * sizeof(float)), mesh.vertexCount(), 0.0f, 0.0f);
    std::vector<Triangle> triangles;
    for (int f = 0; f < hull.faces.size(); ++f) {
        const btConvexHullComputer::Edge* first = &hull.edges[hull.faces[f]];
        const btVector3& apex = hull.vertices[first->getSourceVertex()];
        for (const auto* edge = first->getNextEdgeOfFace(); edge->getTargetVertex() != first->getSourceVertex();
             edge = edge->getNextEdgeOfFace())
            triangles.push_back({apex, hull.vertices[edge->getSourceVertex()], hull.vertices[edge->getTargetVertex()]});
    }
    return triangles;
}

}  // namespace

MeshMass MeshMass::of(const CookedTriangleMesh& mesh, btScalar minimumThickness)
{
    // A position that is not a number would make every sum and the ordering
    // of the vertex map meaningless: such a mesh has no mass.
    for (const float value : mesh.positions())
        if (!std::isfinite(value))
            return MeshMass();

    std::vector<Triangle> triangles;
    if (closedSurface(mesh, triangles)) {
        const MeshMass solid = integrate(triangles);
        if (solid.volume > 0.0f)
            return solid;
    }
    const MeshMass hull = integrate(hullTriangles(mesh));
    if (hull.volume > 0.0f)
        return hull;

    MeshMass slab;
    if (mesh.vertexCount() == 0)
        return slab;
    const std::vector<float>& p = mesh.positions();
    btVector3 low(p[0], p[1], p[2]), high = low;
    for (std::size_t v = 1; v < std::size_t(mesh.vertexCount()); ++v) {
        const btVector3 point(p[3 * v], p[3 * v + 1], p[3 * v + 2]);
        low.setMin(point);
        high.setMax(point);
    }
    const btVector3 size = (high - low).absolute();
    const btVector3 solid(btMax(size.x(), minimumThickness), btMax(size.y(), minimumThickness),
                          btMax(size.z(), minimumThickness));
    slab.volume = solid.x() * solid.y() * solid.z();
    slab.centre = (low + high) * 0.5f;
    const btVector3 square = solid * solid;
    slab.inertia = btMatrix3x3(square.y() + square.z(), 0, 0, 0, square.x() + square.z(), 0, 0, 0,
                               square.x() + square.y()) * (slab.volume / 12.0f);
    return slab;
}
