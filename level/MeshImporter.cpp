#include "level/MeshImporter.h"

#include "app/DataFile.h"
#include "app/Report.h"
#include "level/MeshFileCheck.h"
#include "math/Vertex.h"

#include <OgreDefaultHardwareBufferManager.h>
#include <OgreException.h>
#include <OgreLogManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreResourceGroupManager.h>
#include <OgreRoot.h>
#include <OgreSubMesh.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <string>

struct MeshImporter::Engine {
    // Made before the Root so that the Root uses it instead of making its own
    // log, which would echo every message to the console.
    std::unique_ptr<Ogre::LogManager> logManager;
    std::unique_ptr<Ogre::Root> root;
    // System-memory buffers: there is no render system.
    std::unique_ptr<Ogre::DefaultHardwareBufferManager> bufferManager;
};

namespace {

const char* const MESH_DIRECTORY = "data/meshes";

// Why an import failed; empty while all is well.
using Fault = std::string;

// Copies one vertex attribute of every vertex of `data` into out[0..]:
// `store` takes the attribute's floats. The element must lie inside its
// buffer's vertices and the buffer must hold all of the data's vertices.
template <typename Store>
Fault copyElement(const Ogre::VertexData& data, const Ogre::VertexElement& element, Vertex* out,
                  Store store)
{
    const unsigned short source = element.getSource();
    if (!data.vertexBufferBinding->isBufferBound(source))
        return "a vertex element has no buffer";
    const Ogre::HardwareVertexBufferSharedPtr& buffer = data.vertexBufferBinding->getBuffer(source);
    const std::size_t stride = buffer->getVertexSize();
    if (element.getOffset() + Ogre::VertexElement::getTypeSize(element.getType()) > stride ||
        data.vertexStart + data.vertexCount > buffer->getNumVertices())
        return "a vertex element lies outside its buffer";

    const Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    const auto* bytes = static_cast<const unsigned char*>(lock.pData) +
                        data.vertexStart * stride + element.getOffset();
    const unsigned short count = Ogre::VertexElement::getTypeCount(element.getType());
    for (std::size_t j = 0; j < data.vertexCount; ++j, bytes += stride) {
        float values[4] = {}; // the widest float element, VET_FLOAT4
        std::memcpy(values, bytes, Ogre::VertexElement::getTypeSize(element.getType()));
        // NaN or infinity would poison the tangents, the bounds and the physics.
        for (unsigned short i = 0; i < count; ++i) {
            if (!std::isfinite(values[i]))
                return "vertex " + std::to_string(j) + " holds a value that is not finite";
        }
        store(out[j], values);
    }
    return {};
}

bool isFloatElement(const Ogre::VertexElement* element, unsigned short minimumCount)
{
    return element && Ogre::VertexElement::getBaseType(element->getType()) == Ogre::VET_FLOAT1 &&
           Ogre::VertexElement::getTypeCount(element->getType()) >= minimumCount;
}

// Position, normal and first texture coordinate of every vertex of `data`,
// each found by its semantic. A mesh without normals or texture coordinates
// keeps zeros there.
Fault copyVertices(const Ogre::VertexData& data, Vertex* out)
{
    const Ogre::VertexDeclaration& declaration = *data.vertexDeclaration;
    const Ogre::VertexElement* position = declaration.findElementBySemantic(Ogre::VES_POSITION);
    if (!position || position->getType() != Ogre::VET_FLOAT3)
        return "vertices without three-float positions";
    Fault fault = copyElement(data, *position, out, [](Vertex& v, const float* f) {
        v.position = Vector3(f[0], f[1], f[2]);
    });

    const Ogre::VertexElement* normal = declaration.findElementBySemantic(Ogre::VES_NORMAL);
    if (fault.empty() && normal && normal->getType() == Ogre::VET_FLOAT3) {
        fault = copyElement(data, *normal, out, [](Vertex& v, const float* f) {
            v.normal = Vector3(f[0], f[1], f[2]);
        });
    }
    const Ogre::VertexElement* uv =
        declaration.findElementBySemantic(Ogre::VES_TEXTURE_COORDINATES);
    if (fault.empty() && isFloatElement(uv, 2)) {
        fault = copyElement(data, *uv, out, [](Vertex& v, const float* f) {
            v.u = f[0];
            v.v = f[1];
        });
    }
    return fault;
}

template <typename Index>
Fault copyTriangles(const Index* source, std::size_t count, std::size_t vertexLimit,
                    std::uint32_t offset, std::uint32_t* out)
{
    for (std::size_t i = 0; i < count; ++i) {
        if (source[i] >= vertexLimit)
            return "index " + std::to_string(source[i]) + " is outside its " +
                   std::to_string(vertexLimit) + " vertices";
        out[i] = static_cast<std::uint32_t>(source[i]) + offset;
    }
    return {};
}

// The complete triangles of a sub-mesh, every index checked against the
// vertex count of the data it refers to and moved by `offset`.
Fault copyIndices(const Ogre::IndexData& data, std::size_t vertexLimit, std::uint32_t offset,
                  std::uint32_t* out)
{
    const std::size_t count = data.indexCount / 3 * 3;
    if (count == 0)
        return {};
    const Ogre::HardwareIndexBufferSharedPtr& buffer = data.indexBuffer;
    if (!buffer || data.indexStart + data.indexCount > buffer->getNumIndexes())
        return "indices lie outside their buffer";

    const Ogre::HardwareBufferLockGuard lock(buffer, Ogre::HardwareBuffer::HBL_READ_ONLY);
    if (buffer->getType() == Ogre::HardwareIndexBuffer::IT_32BIT) {
        return copyTriangles(static_cast<const std::uint32_t*>(lock.pData) + data.indexStart, count,
                             vertexLimit, offset, out);
    }
    return copyTriangles(static_cast<const std::uint16_t*>(lock.pData) + data.indexStart, count,
                         vertexLimit, offset, out);
}

// The vertex data a sub-mesh draws from, null when there is none.
const Ogre::VertexData* vertexDataOf(const Ogre::Mesh& mesh, const Ogre::SubMesh& subMesh)
{
    return subMesh.useSharedVertices ? mesh.sharedVertexData : subMesh.vertexData;
}

struct Geometry {
    std::size_t vertexCount = 0;
    std::size_t indexCount = 0;
    std::unique_ptr<Vertex[]> vertices;
    std::unique_ptr<std::uint32_t[]> indices;
};

// Counting pass: own vertex data per sub-mesh, the shared data once, every
// sub-mesh's indices (incomplete triangles included, left as zeros). Counts
// that the file cannot hold (at least a 12-byte position per vertex, 2 bytes
// per index) come from damaged data and are refused before allocating.
Fault countGeometry(const Ogre::Mesh& mesh, std::size_t fileSize, Geometry& geometry)
{
    bool sharedCounted = false;
    for (unsigned short s = 0; s < mesh.getNumSubMeshes(); ++s) {
        const Ogre::SubMesh& subMesh = *mesh.getSubMesh(s);
        const Ogre::VertexData* data = vertexDataOf(mesh, subMesh);
        if (!data || !subMesh.indexData)
            return "sub-mesh " + std::to_string(s) + " has no vertex or index data";
        if (subMesh.operationType != Ogre::RenderOperation::OT_TRIANGLE_LIST)
            return "sub-mesh " + std::to_string(s) + " is not a triangle list";
        if (!subMesh.useSharedVertices || !sharedCounted)
            geometry.vertexCount += data->vertexCount;
        sharedCounted = sharedCounted || subMesh.useSharedVertices;
        geometry.indexCount += subMesh.indexData->indexCount;
    }
    if (geometry.vertexCount > fileSize / 12 || geometry.indexCount > fileSize / 2)
        return "more vertices or indices than the file holds";
    if (geometry.vertexCount > INT_MAX || geometry.indexCount > INT_MAX)
        return "more vertices or indices than an int counts";
    return {};
}

// Copy pass: the sub-meshes' vertices one after the other (shared data at the
// place of its first user), their indices moved to the combined array.
Fault copyGeometry(const Ogre::Mesh& mesh, Geometry& geometry)
{
    geometry.vertices.reset(new Vertex[geometry.vertexCount]);
    geometry.indices.reset(new std::uint32_t[geometry.indexCount]());
    std::size_t vertexOffset = 0;
    std::size_t indexPosition = 0;
    std::size_t sharedOffset = 0;
    bool sharedCopied = false;
    for (unsigned short s = 0; s < mesh.getNumSubMeshes(); ++s) {
        const Ogre::SubMesh& subMesh = *mesh.getSubMesh(s);
        const Ogre::VertexData& data = *vertexDataOf(mesh, subMesh);
        const bool copyData = !subMesh.useSharedVertices || !sharedCopied;
        if (subMesh.useSharedVertices && !sharedCopied) {
            sharedOffset = vertexOffset;
            sharedCopied = true;
        }
        Fault fault;
        if (copyData)
            fault = copyVertices(data, geometry.vertices.get() + vertexOffset);
        const std::size_t base = subMesh.useSharedVertices ? sharedOffset : vertexOffset;
        if (fault.empty()) {
            fault = copyIndices(*subMesh.indexData, data.vertexCount,
                                static_cast<std::uint32_t>(base),
                                geometry.indices.get() + indexPosition);
        }
        if (!fault.empty())
            return "sub-mesh " + std::to_string(s) + ": " + fault;
        indexPosition += subMesh.indexData->indexCount / 3 * 3;
        if (copyData)
            vertexOffset += data.vertexCount;
    }
    return {};
}

// OGRE's descriptions may span lines; the game prints one line per fault.
std::string oneLine(std::string text)
{
    for (char& c : text) {
        if (c == '\n' || c == '\r')
            c = ' ';
    }
    return text;
}

} // namespace

MeshImporter::MeshImporter() : engine(new Engine)
{
    engine->logManager.reset(new Ogre::LogManager());
    // Kept in memory only: the game writes no file the player did not ask for.
    engine->logManager->createLog("Ogre.log", true, false, true);
    // No plugins, no render system, no window: only the resource system.
    engine->root.reset(new Ogre::Root("", "ogre.cfg", "Ogre.log"));
    engine->bufferManager.reset(new Ogre::DefaultHardwareBufferManager());
    Ogre::ResourceGroupManager& resources = Ogre::ResourceGroupManager::getSingleton();
    resources.addResourceLocation(MESH_DIRECTORY, "FileSystem", Ogre::RGN_DEFAULT, false);
    resources.initialiseAllResourceGroups();
}

MeshImporter::~MeshImporter()
{
    // The Root's mesh manager releases buffers, so the buffer manager goes
    // after it, and the log last.
    engine->root.reset();
    engine->bufferManager.reset();
    engine->logManager.reset();
}

void MeshImporter::importMesh(const char* fileName, int& vertexCount, Vertex*& vertices,
                              int& indexCount, std::uint32_t*& indices)
{
    vertexCount = indexCount = 0;
    vertices = nullptr;
    indices = nullptr;

    Geometry geometry;
    Fault fault;
    try {
        // Read once here to be checked, then again by OGRE's mesh manager,
        // which would block on a pipe.
        const std::string path = std::string(MESH_DIRECTORY) + "/" + fileName;
        std::string bytes;
        const DataFile::Outcome outcome = DataFile::read(path.c_str(), bytes);
        fault = outcome == DataFile::READ ? MeshFileCheck::check(bytes)
                                          : std::string("the file ") + DataFile::describe(outcome);
        if (fault.empty()) {
            // Shadowed buffers keep a readable copy in memory.
            const Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().load(
                fileName, Ogre::RGN_DEFAULT, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY,
                Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true, true);
            fault = countGeometry(*mesh, bytes.size(), geometry);
            if (fault.empty())
                fault = copyGeometry(*mesh, geometry);
        }
    } catch (const Ogre::Exception& exception) {
        fault = exception.getDescription();
    } catch (const std::exception& exception) {
        fault = exception.what();
    }
    if (!fault.empty()) {
        report("Mesh %s/%s cannot be imported: %s\n", MESH_DIRECTORY, fileName,
               oneLine(fault).c_str());
        return;
    }

    vertexCount = static_cast<int>(geometry.vertexCount);
    indexCount = static_cast<int>(geometry.indexCount);
    vertices = geometry.vertices.release();
    indices = geometry.indices.release();
}
