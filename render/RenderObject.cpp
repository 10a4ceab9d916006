#include "render/RenderObject.h"

#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "level/MaterialManager.h"
#include "math/Ray.h"
#include "physics/GamePhysic.h"
#include "render/BufferBinding.h"
#include "render/FrameData.h"
#include "render/GeometryBuilder.h"
#include "render/MatrixScope.h"
#include "render/RenderManager.h"
#include "render/RenderMethod.h"

#include <GL/glew.h>

#include <algorithm>
#include <cassert>
#include <cstddef>
#include <cstdint>

namespace {

constexpr int SCENE_PASS = 2;        // FrameData::renderPass of the camera pass
constexpr int BOX_FACE_VERTICES = 4;  // one triangle strip per box face
constexpr int BOX_FACES = 6;
constexpr GLsizei STRIDE = sizeof(Vertex);

// Texture units 0, 1, 2 carry u v, the tangent and the binormal with handedness.
constexpr int TEXCOORD_UNITS = 3;
constexpr GLint TEXCOORD_SIZES[TEXCOORD_UNITS] = {2, 3, 4};
constexpr std::size_t TEXCOORD_OFFSETS[TEXCOORD_UNITS] = {offsetof(Vertex, u), offsetof(Vertex, tangent),
                                                          offsetof(Vertex, binormal)};

// base + offset, where base may be null (an offset into a bound buffer object).
const void* attribute(const char* base, std::size_t offset)
{
    return reinterpret_cast<const void*>(reinterpret_cast<std::uintptr_t>(base) + offset);
}

void emitVertex(const Vertex& v)
{
    glTexCoord2f(v.u, v.v);
    glMultiTexCoord3fARB(GL_TEXTURE1_ARB, v.tangent.x, v.tangent.y, v.tangent.z);
    glMultiTexCoord4fARB(GL_TEXTURE2_ARB, v.binormal.x, v.binormal.y, v.binormal.z, v.handedness);
    glNormal3f(v.normal.x, v.normal.y, v.normal.z);
    glVertex3f(v.position.x, v.position.y, v.position.z);
}

}  // namespace

void RenderObject::initCommon(int objectId, int objectType, int material, bool flag1, bool flag2, int moving)
{
    id = objectId;
    type = objectType;
    materialId = material;
    elementFlag = flag1 || flag2;
    movingIndex = moving;
}

void RenderObject::freeArrays()
{
    delete[] vertices;
    delete[] indices;
    vertices = nullptr;
    indices = nullptr;
    vertexCount = 0;
    indexCount = 0;
}

bool RenderObject::drawsNothing() const
{
    if (vertexCount <= 0 || !vertices)
        return true;
    return type == TYPE_MESH && (!indices || indexCount < 3);
}

void RenderObject::build()
{
    deleteGlObjects();

    const Material material = MaterialManager::instance()->getMaterial(materialId);
    sortMaterialId = materialId;
    sortHasNormalMap = material.hasNormalMap;

    if (vertexCount > 0 && vertices) {
        boundingSphere = BoundingSphere::fromPoints(&vertices[0].position, vertexCount, sizeof(Vertex));
        boundingBox.grow(&vertices[0].position, vertexCount, sizeof(Vertex));
    } else {
        boundingSphere = BoundingSphere();
    }
    if (type == TYPE_MESH)
        GeometryBuilder::meshTangents(*this);
    if (drawsNothing())
        return;

    glGenBuffersARB(1, &vertexBuffer);
    {
        const BufferBinding binding(GL_ARRAY_BUFFER_ARB, vertexBuffer);
        glBufferDataARB(GL_ARRAY_BUFFER_ARB, static_cast<GLsizeiptrARB>(vertexCount) * STRIDE, vertices,
                        GL_STATIC_DRAW_ARB);
    }
    if (indices) {
        glGenBuffersARB(1, &indexBuffer);
        const BufferBinding binding(GL_ELEMENT_ARRAY_BUFFER_ARB, indexBuffer);
        glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER_ARB,
                        static_cast<GLsizeiptrARB>(indexCount) * static_cast<GLsizeiptrARB>(sizeof(std::uint32_t)),
                        indices, GL_STATIC_DRAW_ARB);
    }
    glFlush();
}

unsigned int RenderObject::recordedList(unsigned int& list, void (RenderObject::*draw)() const)
{
    if (!list) {
        list = glGenLists(1);
        glNewList(list, GL_COMPILE);
        (this->*draw)();
        glEndList();
    }
    return list;
}

void RenderObject::update(float dt, const Matrix4& parent, bool noFade)
{
    const FrameData& frame = FrameData::shared();
    worldMatrix = localMatrix * (movingIndex >= 0 ? GamePhysic::instance()->GetMovingElementPose(movingIndex) : parent);

    float nearest = NO_OCCLUDER;
    if (frame.frustumCulling && !sphereInFrustum(frame.frustum, boundingSphere, worldMatrix)) {
        // Still faded back below, so an object leaving the view does not stay faint.
        culled = true;
        occluding = false;
    } else {
        culled = false;
        occluding = false;
        const Vector3 eye = Matrix4::transformPoint(Matrix4::inverseAffine(worldMatrix), frame.eyePosition);
        nearEye = boundingBox.distanceTo(eye) < STEEP_PARALLAX_DISTANCE;
        if (!fadeable || noFade)
            return;
        nearest = occlusionDistance();
    }

    const float step = FADE_RATE * dt;
    if (occluding && nearest > FADE_NEAR_LIMIT)
        alpha = std::max(alpha - step, MIN_ALPHA);
    else
        alpha = std::min(alpha + step, 1.0f);
    if (alpha < 1.0f)
        RenderManager::instance()->addTransparent(this, nearest);
}

float RenderObject::occlusionDistance()
{
    const FrameData& frame = FrameData::shared();
    Ray ray = frame.eyeToBall;
    ray.transform(Matrix4::inverseAffine(worldMatrix));
    const float maxDistance = frame.eyeToBallDistance;

    float nearest = NO_OCCLUDER;
    switch (type) {
    case TYPE_SPHERE:
        if (boundingSphere.intersectsRay(ray, maxDistance)) {
            occluding = true;
            nearest = (boundingSphere.center - ray.origin).length();
        }
        break;
    case TYPE_BOX:
        // Two triangles per face strip: (a, b, c) and (c, b, d).
        for (int first = 0; first + BOX_FACE_VERTICES <= vertexCount; first += BOX_FACE_VERTICES) {
            const Vector3& a = vertices[first].position;
            const Vector3& b = vertices[first + 1].position;
            const Vector3& c = vertices[first + 2].position;
            const Vector3& d = vertices[first + 3].position;
            float t = 0.0f, u = 0.0f, v = 0.0f;
            if (intersectRayTriangle(ray, a, b, c, t, u, v) && t < maxDistance) {
                occluding = true;
                nearest = std::min(nearest, t);
            }
            if (intersectRayTriangle(ray, c, b, d, t, u, v) && t < maxDistance) {
                occluding = true;
                nearest = std::min(nearest, t);
            }
        }
        break;
    case TYPE_MESH:
        if (boundingBox.intersectsSegment(ray, maxDistance)) {
            occluding = true;
            nearest = (boundingBox.center() - ray.origin).length();
        }
        break;
    default:
        break;
    }
    return nearest;
}

void RenderObject::render(int renderMethod, bool useDisplayLists, bool useStoredWorld)
{
    const FrameData& frame = FrameData::shared();
    if ((culled && frame.frustumCulling) || drawsNothing())
        return;

    const MatrixScope scope;
    if (useStoredWorld) {
        glMultMatrixf(worldMatrix.data());
    } else if (movingIndex >= 0) {
        // The element's body is placed in world space: undo whatever the scene nodes
        // pushed so that the modelview becomes view, then pose, then local.
        float current[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, current);
        const Matrix4 pose = GamePhysic::instance()->GetMovingElementPose(movingIndex);
        const Matrix4 m = (localMatrix * pose * frame.viewMatrix) * Matrix4::inverseAffine(Matrix4(current));
        glMultMatrixf(m.data());
    } else {
        glMultMatrixf(localMatrix.data());
    }

    if (frame.renderPass == SCENE_PASS) {
        const Matrix4 toObject = Matrix4::inverseAffine(worldMatrix);
        const Vector3 eye = Matrix4::transformPoint(toObject, frame.eyePosition);
        const Vector3 light = Matrix4::transformPoint(toObject, frame.lightPosition);
        const float eyeValues[3] = {eye.x, eye.y, eye.z};
        const float lightValues[3] = {light.x, light.y, light.z};
        ShaderManager* shader = ShaderManager::instance();
        shader->setVector3(EFFECTPARAMETER_EYEPOSITION, eyeValues);
        shader->setVector3(EFFECTPARAMETER_LIGHTPOSITION, lightValues);
        shader->setMatrix(EFFECTPARAMETER_MODELMATRIX, worldMatrix.data());
    }

    switch (renderMethod) {
    case RENDERMETHOD_IMMEDIATE:
        if (useDisplayLists)
            glCallList(recordedList(listImmediate, &RenderObject::drawImmediate));
        else
            drawImmediate();
        break;
    case RENDERMETHOD_VERTEXARRAY:
        if (useDisplayLists)
            glCallList(recordedList(listVertexArray, &RenderObject::drawVertexArray));
        else
            drawVertexArray();
        break;
    case RENDERMETHOD_VERTEXBUFFER:
        drawVertexBuffer();  // buffer objects are not recorded into lists
        break;
    default:
        assert(!"unknown render method");
        break;
    }
}

void RenderObject::releaseBuffers()
{
    freeArrays();
    deleteGlObjects();
}

void RenderObject::deleteGlObjects()
{
    if (vertexBuffer)
        glDeleteBuffersARB(1, &vertexBuffer);
    if (indexBuffer)
        glDeleteBuffersARB(1, &indexBuffer);
    if (listImmediate)
        glDeleteLists(listImmediate, 1);
    if (listVertexArray)
        glDeleteLists(listVertexArray, 1);
    vertexBuffer = indexBuffer = listImmediate = listVertexArray = 0;
}

void RenderObject::drawImmediate() const
{
    switch (type) {
    case TYPE_SPHERE:
        glBegin(GL_TRIANGLE_STRIP);
        for (int i = 0; i < vertexCount; ++i)
            emitVertex(vertices[i]);
        glEnd();
        break;
    case TYPE_BOX:
        for (int first = 0; first + BOX_FACE_VERTICES <= vertexCount; first += BOX_FACE_VERTICES) {
            glBegin(GL_TRIANGLE_STRIP);
            for (int i = first; i < first + BOX_FACE_VERTICES; ++i)
                emitVertex(vertices[i]);
            glEnd();
        }
        break;
    case TYPE_MESH:
        glBegin(GL_TRIANGLES);
        for (int i = 0; i < indexCount / 3 * 3; ++i)
            emitVertex(vertices[indices[i]]);
        glEnd();
        break;
    default:
        break;
    }
}

void RenderObject::drawVertexArray() const
{
    drawArrays(reinterpret_cast<const char*>(vertices), indices);
}

void RenderObject::drawVertexBuffer() const
{
    // Pointers become byte offsets into the bound buffers.
    const BufferBinding vertexBinding(GL_ARRAY_BUFFER_ARB, vertexBuffer);
    const BufferBinding indexBinding(GL_ELEMENT_ARRAY_BUFFER_ARB, indices ? indexBuffer : 0);
    drawArrays(nullptr, nullptr);
}

void RenderObject::drawArrays(const char* base, const void* indexPointer) const
{
    for (int k = 0; k < TEXCOORD_UNITS; ++k) {
        glActiveTextureARB(GL_TEXTURE0_ARB + k);
        glClientActiveTextureARB(GL_TEXTURE0_ARB + k);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(TEXCOORD_SIZES[k], GL_FLOAT, STRIDE, attribute(base, TEXCOORD_OFFSETS[k]));
    }
    glEnableClientState(GL_NORMAL_ARRAY);
    glNormalPointer(GL_FLOAT, STRIDE, attribute(base, offsetof(Vertex, normal)));
    glEnableClientState(GL_VERTEX_ARRAY);
    glVertexPointer(3, GL_FLOAT, STRIDE, attribute(base, offsetof(Vertex, position)));

    switch (type) {
    case TYPE_SPHERE:
        glDrawArrays(GL_TRIANGLE_STRIP, 0, vertexCount);
        break;
    case TYPE_BOX: {
        // All faces in one call: a software driver pays for every draw call.
        GLint firsts[BOX_FACES];
        GLsizei counts[BOX_FACES];
        int faces = 0;
        for (int first = 0; first + BOX_FACE_VERTICES <= vertexCount && faces < BOX_FACES; first += BOX_FACE_VERTICES) {
            firsts[faces] = first;
            counts[faces++] = BOX_FACE_VERTICES;
        }
        glMultiDrawArrays(GL_TRIANGLE_STRIP, firsts, counts, faces);
        break;
    }
    case TYPE_MESH:
        glDrawElements(GL_TRIANGLES, indexCount / 3 * 3, GL_UNSIGNED_INT, indexPointer);
        break;
    default:
        break;
    }

    // Every unit's array is switched off again and unit 0 made current: an array
    // left enabled would make later draws read this object's (possibly freed) vertices.
    for (int k = TEXCOORD_UNITS - 1; k >= 0; --k) {
        glActiveTextureARB(GL_TEXTURE0_ARB + k);
        glClientActiveTextureARB(GL_TEXTURE0_ARB + k);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    }
    glDisableClientState(GL_NORMAL_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
    glDisableClientState(GL_COLOR_ARRAY);
}
