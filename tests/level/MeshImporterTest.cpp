#include "level/MeshImporter.h"

#include "math/Vertex.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubMesh.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Indices = std::vector<std::uint32_t>;

enum class Layout {
    Interleaved,     // position, normal, uv in one buffer, as exporters write them
    SeparateBuffers, // position alone, normal and uv in a second buffer
    PositionOnly,
};

// Vertex j of the vertex data made with base: values that tell vertices and data apart.
Vertex vertexOf(float base, std::size_t j, Layout layout = Layout::Interleaved)
{
    Vertex v;
    const float k = base + static_cast<float>(j);
    v.position = {k, k + 0.25f, -k};
    if (layout != Layout::PositionOnly) {
        v.normal = {0.5f, base, static_cast<float>(j)};
        v.u = static_cast<float>(j) * 0.125f;
        v.v = base * 0.5f;
    }
    return v;
}

Ogre::HardwareVertexBufferSharedPtr makeBuffer(std::size_t vertexSize, std::size_t count, const std::vector<float>& floats)
{
    auto buffer = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
        vertexSize, count, Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
    buffer->writeData(0, buffer->getSizeInBytes(), floats.data());
    return buffer;
}

Ogre::VertexData* makeVertices(std::size_t count, float base, Layout layout)
{
    auto* data = new Ogre::VertexData();
    data->vertexCount = count;
    std::vector<float> positions, attributes;
    for (std::size_t j = 0; j < count; ++j) {
        const Vertex v = vertexOf(base, j);
        positions.insert(positions.end(), {v.position.x, v.position.y, v.position.z});
        std::vector<float>& rest = layout == Layout::Interleaved ? positions : attributes;
        rest.insert(rest.end(), {v.normal.x, v.normal.y, v.normal.z, v.u, v.v});
    }
    Ogre::VertexDeclaration* declaration = data->vertexDeclaration;
    declaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
    if (layout != Layout::PositionOnly) {
        const unsigned short source = layout == Layout::Interleaved ? 0 : 1;
        const std::size_t offset = layout == Layout::Interleaved ? 12 : 0;
        declaration->addElement(source, offset, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
        declaration->addElement(source, offset + 12, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES);
    }
    if (layout == Layout::SeparateBuffers)
        data->vertexBufferBinding->setBinding(1, makeBuffer(20, count, attributes));
    data->vertexBufferBinding->setBinding(0, makeBuffer(declaration->getVertexSize(0), count, positions));
    return data;
}

struct SubMeshSpec {
    bool shared = false;
    std::size_t vertexCount = 0; // own vertex data
    float base = 0;
    Indices indices;
    bool wide = false; // 32-bit indices
    Layout layout = Layout::Interleaved;
};

// OGRE indexes a resource location when it is added; files written later are
// found once the location is added again.
void writeFile(const std::string& fileName, const std::string& bytes)
{
    if (!bytes.empty())
        std::ofstream("data/meshes/" + fileName, std::ios::binary) << bytes;
    Ogre::ResourceGroupManager& resources = Ogre::ResourceGroupManager::getSingleton();
    resources.removeResourceLocation("data/meshes", Ogre::RGN_DEFAULT);
    resources.addResourceLocation("data/meshes", "FileSystem", Ogre::RGN_DEFAULT, false);
}

std::string readFile(const std::string& fileName)
{
    std::ifstream in("data/meshes/" + fileName, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Writes data/meshes/<fileName> with OGRE's serializer.
void writeMesh(const std::string& fileName, const std::vector<SubMeshSpec>& subMeshes, std::size_t sharedCount = 0,
               float sharedBase = 0)
{
    static int serial = 0;
    Ogre::MeshPtr mesh =
        Ogre::MeshManager::getSingleton().createManual("written" + std::to_string(serial++), Ogre::RGN_DEFAULT);
    if (sharedCount > 0)
        mesh->sharedVertexData = makeVertices(sharedCount, sharedBase, Layout::Interleaved);
    for (const SubMeshSpec& spec : subMeshes) {
        Ogre::SubMesh* subMesh = mesh->createSubMesh();
        subMesh->useSharedVertices = spec.shared;
        if (!spec.shared)
            subMesh->vertexData = makeVertices(spec.vertexCount, spec.base, spec.layout);
        auto buffer = Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
            spec.wide ? Ogre::HardwareIndexBuffer::IT_32BIT : Ogre::HardwareIndexBuffer::IT_16BIT,
            spec.indices.size(), Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
        const std::vector<std::uint16_t> narrow(spec.indices.begin(), spec.indices.end());
        buffer->writeData(0, buffer->getSizeInBytes(),
                          spec.wide ? static_cast<const void*>(spec.indices.data()) : narrow.data());
        subMesh->indexData->indexBuffer = buffer;
        subMesh->indexData->indexCount = spec.indices.size();
    }
    mesh->_setBounds(Ogre::AxisAlignedBox(-1e5f, -1e5f, -1e5f, 1e5f, 1e5f, 1e5f));
    mesh->load(); // marked loaded, so that removing it frees its sub-meshes and vertex data
    Ogre::MeshSerializer().exportMesh(mesh.get(), "data/meshes/" + fileName);
    Ogre::MeshManager::getSingleton().remove(mesh);
    writeFile(fileName, "");
}

// Indices 0, 1, 2, 1, 2, 3, ... over vertexCount vertices, count of them.
Indices strip(std::size_t vertexCount, std::size_t count)
{
    Indices indices;
    for (std::size_t i = 0; i < count; ++i)
        indices.push_back(static_cast<std::uint32_t>((i / 3 + i % 3) % vertexCount));
    return indices;
}

struct Imported {
    int vertexCount = -1;
    int indexCount = -1;
    std::unique_ptr<Vertex[]> vertices;
    std::unique_ptr<std::uint32_t[]> indices;
    std::string output;

    Indices indexList() const { return Indices(indices.get(), indices.get() + indexCount); }
};

Imported import(const std::string& fileName)
{
    Imported result;
    Vertex* vertices = nullptr;
    std::uint32_t* indices = nullptr;
    testing::internal::CaptureStdout();
    MeshImporter::instance()->importMesh(fileName.c_str(), result.vertexCount, vertices, result.indexCount, indices);
    result.output = testing::internal::GetCapturedStdout();
    result.vertices.reset(vertices);
    result.indices.reset(indices);
    return result;
}

// vertices[at .. at + count) hold the vertex data made with base and layout, tangent frame 0.
void expectVertices(const Imported& mesh, std::size_t at, std::size_t count, float base,
                    Layout layout = Layout::Interleaved)
{
    for (std::size_t j = 0; j < count; ++j) {
        const Vertex expected = vertexOf(base, j, layout);
        ASSERT_EQ(std::memcmp(&mesh.vertices[at + j], &expected, sizeof(Vertex)), 0) << "vertex " << at + j;
    }
}

void expectEmpty(const std::string& fileName)
{
    SCOPED_TRACE(fileName);
    const Imported mesh = import(fileName);
    EXPECT_EQ(mesh.vertexCount, 0);
    EXPECT_EQ(mesh.indexCount, 0);
    EXPECT_EQ(mesh.vertices, nullptr);
    EXPECT_EQ(mesh.indices, nullptr);
    EXPECT_NE(mesh.output.find("data/meshes/" + fileName), std::string::npos) << mesh.output;
    EXPECT_EQ(mesh.output.find('\n'), mesh.output.size() - 1) << mesh.output;
}

// OGRE is set up once per process, in a private working directory holding
// data/meshes; its console output during set-up is kept for the first case.
class MeshImporterTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        startDirectory = fs::current_path();
        directory = fs::temp_directory_path() / ("pitchroll-meshes-" + std::to_string(getpid()));
        fs::create_directories(directory / "data" / "meshes");
        fs::current_path(directory);
        testing::internal::CaptureStdout();
        MeshImporter::instance();
        setUpOutput = testing::internal::GetCapturedStdout();
    }

    // OGRE stays set up for the rest of the process; its files may go.
    static void TearDownTestSuite()
    {
        fs::current_path(startDirectory);
        fs::remove_all(directory);
    }

    static inline fs::path startDirectory;
    static inline fs::path directory;
    static inline std::string setUpOutput;
};

} // namespace

TEST_F(MeshImporterTest, SubMeshesWithOwnVerticesAndIndexWidthsFollowEachOtherWithoutAWordOnTheConsole)
{
    writeMesh("own.mesh", {{false, 100, 0, strip(100, 300)},
                           {false, 50, 1000, strip(50, 150), true, Layout::SeparateBuffers},
                           {false, 6, 2000, {0, 1, 5}, false, Layout::PositionOnly}});
    const Imported mesh = import("own.mesh");
    ASSERT_EQ(mesh.vertexCount, 156);
    ASSERT_EQ(mesh.indexCount, 453);
    expectVertices(mesh, 0, 100, 0);
    expectVertices(mesh, 100, 50, 1000, Layout::SeparateBuffers);
    expectVertices(mesh, 150, 6, 2000, Layout::PositionOnly);
    Indices expected = strip(100, 300);
    for (const std::uint32_t index : strip(50, 150))
        expected.push_back(index + 100);
    expected.insert(expected.end(), {150, 151, 155});
    EXPECT_EQ(mesh.indexList(), expected);
    // OGRE's log goes neither to the console nor into the player's folder.
    EXPECT_EQ(setUpOutput + mesh.output, "");
    EXPECT_FALSE(fs::exists("Ogre.log"));
}

TEST_F(MeshImporterTest, SharedVerticesAreCopiedOnceAtTheirFirstUser)
{
    // Own, shared, shared, own: the shared block sits after the first sub-mesh.
    writeMesh("mixed.mesh",
              {{false, 10, 0, {0, 1, 9}}, {true, 0, 0, {0, 1, 2}}, {true, 0, 0, {79, 0, 5}}, {false, 5, 2000, {4, 3, 0}}},
              80, 500);
    const Imported mesh = import("mixed.mesh");
    ASSERT_EQ(mesh.vertexCount, 95);
    expectVertices(mesh, 0, 10, 0);
    expectVertices(mesh, 10, 80, 500);
    expectVertices(mesh, 90, 5, 2000);
    EXPECT_EQ(mesh.indexList(), (Indices{0, 1, 9, 10, 11, 12, 89, 10, 15, 94, 93, 90}));
}

TEST_F(MeshImporterTest, ThirtyTwoBitIndicesReachBeyondTheSixteenBitRange)
{
    writeMesh("large.mesh", {{false, 70000, 0, {69999, 65536, 3}, true}});
    const Imported large = import("large.mesh");
    EXPECT_EQ(large.indexList(), (Indices{69999, 65536, 3}));
    const Vertex last = vertexOf(0, 69999);
    EXPECT_EQ(std::memcmp(&large.vertices[69999], &last, sizeof last), 0);
}

TEST_F(MeshImporterTest, IncompleteTrianglesLeaveZerosAtTheEnd)
{
    writeMesh("partial.mesh", {{false, 4, 0, {1, 2, 3, 3, 2, 1, 1}}, {false, 4, 10, {1, 2, 3}}});
    EXPECT_EQ(import("partial.mesh").indexList(), (Indices{1, 2, 3, 3, 2, 1, 5, 6, 7, 0}));
}

// A missing file, garbage, indices outside the vertices, a pipe, and a
// one-triangle mesh as OGRE writes it changed in one place: each change is a
// file that crashed OGRE, made it allocate gigabytes or handed out geometry that
// is not a finite triangle list. Further chunk damage is the fuzzer's corpus.
TEST_F(MeshImporterTest, MissingOrDamagedFilesGiveAnEmptyMeshAndOneLine)
{
    expectEmpty("absent.mesh");
    writeMesh("outside.mesh", {{false, 4, 0, {0, 1, 2}}, {false, 4, 0, {0, 4, 2}}});
    expectEmpty("outside.mesh");

    writeMesh("base.mesh", {{false, 3, 0, {0, 1, 2}}});
    const std::string base = readFile("base.mesh");
    const std::size_t mesh = base.find('\n') + 1;            // M_MESH chunk
    const std::size_t sharedFlag = base.find('\n', mesh + 13) + 1; // after the sub-mesh's header, bool and name
    const std::size_t geometry = base.find(std::string("\x00\x50", 2), sharedFlag);
    const std::size_t vertexData = base.find(std::string("\x10\x52", 2), geometry);
    const std::size_t operation = base.find(std::string("\x10\x40\x08\x00\x00\x00", 6), geometry);
    const std::size_t bounds = base.find(std::string("\x00\x90\x22\x00\x00\x00", 6)); // chunk 0x9000, 34 bytes
    ASSERT_NE(operation, std::string::npos);
    ASSERT_NE(bounds, std::string::npos);

    const auto put = [](std::string bytes, std::size_t at, std::uint32_t value, std::size_t width) {
        for (std::size_t i = 0; i < width; ++i)
            bytes[at + i] = static_cast<char>(value >> (8 * i));
        return bytes;
    };
    // A chunk appended to the mesh chunk, which grows by its size.
    const auto append = [&](const std::string& chunk) {
        const std::uint32_t length = static_cast<std::uint32_t>(base.size() - mesh + chunk.size());
        return put(base, mesh + 2, length, 4) + chunk;
    };
    const auto bitsOf = [](float value) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, &value, sizeof value);
        return bits;
    };

    const struct {
        const char* name;
        std::string bytes;
    } cases[] = {
        {"garbage.mesh", std::string(500, '\x42')},
        // Bounds with the minimum above the maximum (1e5), on which OGRE would stop the program.
        {"bad-bounds.mesh", put(base, bounds + 6, bitsOf(2e5f), 4)},
        {"edge-lists.mesh", append(std::string("\x00\xb0\x06\x00\x00\x00", 6))},
        {"index-count.mesh", put(base, sharedFlag + 1, 0x40000000, 4)},
        {"line-list.mesh", put(base, operation + 6, 2, 2)},
        {"nan-vertex.mesh", put(base, vertexData + 6, bitsOf(std::nanf("")), 4)},
    };
    for (const auto& c : cases) {
        writeFile(c.name, c.bytes);
        expectEmpty(c.name);
    }
    // A pipe in place of a mesh file: opening it would wait for a writer for ever.
    ASSERT_EQ(mkfifo("data/meshes/pipe.mesh", 0600), 0);
    writeFile("pipe.mesh", "");
    expectEmpty("pipe.mesh");
}
