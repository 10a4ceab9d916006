#include "tools/OgreMeshWriter.h"

#include "tools/MeshData.h"

#include <OGRE/Ogre.h>
#include <OGRE/OgreDefaultHardwareBufferManager.h>
#include <OGRE/OgreMeshSerializer.h>

#include <cstdio>

namespace {

constexpr std::size_t FLOATS_PER_VERTEX = 8;

Ogre::VertexData* makeVertexData(const std::vector<MeshData::Vertex>& vertices)
{
    auto* data = new Ogre::VertexData();
    data->vertexCount = vertices.size();
    Ogre::VertexDeclaration* declaration = data->vertexDeclaration;
    declaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
    declaration->addElement(0, 12, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
    declaration->addElement(0, 24, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES, 0);
    std::vector<float> floats;
    floats.reserve(vertices.size() * FLOATS_PER_VERTEX);
    for (const MeshData::Vertex& v : vertices) {
        floats.insert(floats.end(), {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y,
                                     v.normal.z, v.u, v.v});
    }
    Ogre::HardwareVertexBufferSharedPtr buffer = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
        FLOATS_PER_VERTEX * sizeof(float), vertices.size(), Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    buffer->writeData(0, floats.size() * sizeof(float), floats.data(), true);
    data->vertexBufferBinding->setBinding(0, buffer);
    return data;
}

void fillIndexData(Ogre::IndexData* data, const std::vector<std::uint32_t>& indices, std::size_t vertexCount)
{
    const bool wide = vertexCount > 65535;
    Ogre::HardwareIndexBufferSharedPtr buffer = Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
        wide ? Ogre::HardwareIndexBuffer::IT_32BIT : Ogre::HardwareIndexBuffer::IT_16BIT, indices.size(),
        Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY);
    if (wide) {
        buffer->writeData(0, indices.size() * sizeof(std::uint32_t), indices.data(), true);
    } else {
        const std::vector<std::uint16_t> narrow(indices.begin(), indices.end());
        buffer->writeData(0, narrow.size() * sizeof(std::uint16_t), narrow.data(), true);
    }
    data->indexBuffer = buffer;
    data->indexStart = 0;
    data->indexCount = indices.size();
}

}  // namespace

struct OgreMeshWriter::Engine {
    Ogre::LogManager logs;
    std::unique_ptr<Ogre::Root> root;
    std::unique_ptr<Ogre::DefaultHardwareBufferManager> buffers;

    Engine()
    {
        // A log of our own that writes no Ogre.log and prints nothing.
        logs.createLog("pitchroll-datagen", true, false, true);
        root = std::make_unique<Ogre::Root>("", "", "");
        buffers = std::make_unique<Ogre::DefaultHardwareBufferManager>();
    }
    ~Engine()
    {
        root.reset();
        buffers.reset();
    }
};

OgreMeshWriter::OgreMeshWriter() : engine(std::make_unique<Engine>()) {}

OgreMeshWriter::~OgreMeshWriter() = default;

bool OgreMeshWriter::write(const MeshData& data, const std::string& path)
{
    const std::string group = Ogre::ResourceGroupManager::DEFAULT_RESOURCE_GROUP_NAME;
    Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual(data.name, group);
    // Marked loaded, so that removing it below unloads it and frees the sub-meshes
    // and vertex data; a manual mesh that never loaded would keep them.
    mesh->load();
    if (!data.shared.empty()) {
        mesh->sharedVertexData = makeVertexData(data.shared);
    }
    for (const MeshData::SubMesh& part : data.subMeshes) {
        Ogre::SubMesh* subMesh = mesh->createSubMesh(part.name);
        subMesh->useSharedVertices = part.usesShared;
        if (!part.usesShared) {
            subMesh->vertexData = makeVertexData(part.vertices);
        }
        fillIndexData(subMesh->indexData, part.indices, data.verticesOf(part).size());
        subMesh->setMaterialName("BaseWhite");
    }
    Vector3 low;
    Vector3 high;
    data.bounds(low, high);
    mesh->_setBounds(Ogre::AxisAlignedBox(low.x, low.y, low.z, high.x, high.y, high.z));
    mesh->_setBoundingSphereRadius(data.radius());

    bool ok = true;
    try {
        Ogre::MeshSerializer serializer;
        serializer.exportMesh(mesh.get(), path);
    } catch (const Ogre::Exception& error) {
        std::printf("Writing %s failed: %s\n", path.c_str(), error.getDescription().c_str());
        ok = false;
    }
    mesh.reset();
    Ogre::MeshManager::getSingleton().remove(data.name, group);
    return ok;
}
