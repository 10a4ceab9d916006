#pragma once

#include "math/BoundingBox.h"
#include "math/BoundingSphere.h"
#include "math/Matrix4.h"
#include "math/MeshGeometry.h"

// A visible piece of the scene: fat vertices (the MeshGeometry base, which the
// physics reads), uploaded once to a buffer object and recorded into two display
// lists, drawn by one of the three render methods. Each frame update() places it,
// culls it against the view frustum and fades it while it hides the ball from the
// camera; faded objects are queued for RenderManager's blended pass.
//
// Lifecycle: constructed -> initialized by a subclass init() (which ends with
// build()) -> updated and rendered every frame -> releaseBuffers() -> deleted.
// The destructor frees nothing that releaseBuffers() frees.
class RenderObject : public MeshGeometry {
public:
    enum Type { TYPE_NONE = 0, TYPE_SPHERE = 1, TYPE_BOX = 2, TYPE_MESH = 3 };

    static constexpr float FADE_RATE = 3.0f;        // alpha change per second
    static constexpr float MIN_ALPHA = 0.25f;       // a faded object never becomes fainter
    static constexpr float FADE_NEAR_LIMIT = 1.0f;  // occluders this close to the eye do not fade
    static constexpr float NO_OCCLUDER = 10000.0f;  // distance queued when nothing was hit
    static constexpr float STEEP_PARALLAX_DISTANCE = 75.0f;  // world units from the eye

    RenderObject() = default;
    virtual ~RenderObject() = default;
    RenderObject(const RenderObject&) = delete;
    RenderObject& operator=(const RenderObject&) = delete;

    // Takes the sort key from the material, the bounding volumes from the vertices
    // (meshes also get their tangents), uploads the arrays and records the display
    // lists. A rebuild first deletes what the previous build made.
    virtual void build();
    // worldMatrix = localMatrix then parent (or the element's physics pose when
    // movingIndex >= 0); then culling and fading against FrameData's frustum and
    // eye-to-ball ray. noFade keeps alpha as it is (alpha blending switched off).
    virtual void update(float dt, const Matrix4& parent, bool noFade);
    // Draws with renderMethod (RenderMethod.h), nothing when culled. The modelview
    // is multiplied by worldMatrix when useStoredWorld (blended pass), else by
    // localMatrix; a moving element's modelview becomes FrameData's view, then its
    // body's pose, then localMatrix, whatever the scene nodes pushed. In the scene
    // pass it also hands the effect its model matrix and the eye and light in
    // object space.
    virtual void render(int renderMethod, bool useDisplayLists, bool useStoredWorld);
    // Frees the arrays and deletes the buffer objects and display lists. Safe to repeat.
    virtual void releaseBuffers();

    // Scene nodes order their objects by this: material id, bit 5 = normal map.
    int sortKey() const { return sortMaterialId | (static_cast<int>(sortHasNormalMap) << 5); }
    bool hasNormalMap() const { return sortHasNormalMap; }
    // The effect pass for this object's material: with a normal map, parallax
    // mapping marching through the relief where the object comes within
    // STEEP_PARALLAX_DISTANCE of the eye, and normal mapping alone beyond, where
    // the relief's shift is smaller than a texel of the mip level on screen.
    const char* effectPass() const
    {
        if (!sortHasNormalMap)
            return "shadowMapping";
        return nearEye ? "parallaxShadowMapping" : "normalMapShadowMapping";
    }
    bool isCulled() const { return culled; }
    bool isOccluding() const { return occluding; }

    int id = -1;             // handed out by RenderManager
    int type = TYPE_NONE;
    bool elementFlag = false;  // creation flags ORed; drawing does not read it
    int materialId = -1;     // MaterialManager number
    int movingIndex = -1;    // >= 0: placed by GamePhysic::GetMovingElementPose
    Matrix4 localMatrix;     // placement in the parent node (or the element's body)
    Matrix4 worldMatrix;     // written by update()
    float alpha = 1.0f;      // MIN_ALPHA .. 1
    bool fadeable = true;    // tested for hiding the ball (the level's ballTest)
    BoundingSphere boundingSphere;  // object space
    BoundingBox boundingBox;        // object space; grows over rebuilds

protected:
    // Common part of the subclasses' init().
    void initCommon(int objectId, int objectType, int material, bool flag1, bool flag2, int moving);
    // Frees the vertex and index arrays.
    void freeArrays();

private:
    // Distance to the nearest hit of the eye-to-ball ray before the ball, setting
    // occluding; NO_OCCLUDER when nothing hides the ball.
    float occlusionDistance();
    void drawImmediate() const;
    void drawVertexArray() const;
    // The display list of list, recorded by draw on first use: the default render
    // method (buffer objects) never calls lists, and recording two per object
    // made loading a level slow.
    unsigned int recordedList(unsigned int& list, void (RenderObject::*draw)() const);
    void drawVertexBuffer() const;
    // Sets the array pointers from base (an address or a buffer offset), draws with
    // the index array at indexPointer and disables the arrays again.
    void drawArrays(const char* base, const void* indexPointer) const;
    // No vertices (an empty mesh), or a mesh without triangles.
    bool drawsNothing() const;
    void deleteGlObjects();

    int sortMaterialId = 0;
    bool sortHasNormalMap = false;
    unsigned int listImmediate = 0;
    unsigned int listVertexArray = 0;
    unsigned int vertexBuffer = 0;
    unsigned int indexBuffer = 0;
    bool occluding = true;
    bool culled = false;
    bool nearEye = true;  // within STEEP_PARALLAX_DISTANCE at the last update
};
