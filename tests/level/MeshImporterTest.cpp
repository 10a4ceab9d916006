#include "level/MeshImporter.h"

#include "math/Vertex.h"

#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubMesh.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Attribute values that tell vertices and vertex data apart: vertex j of the
// data made with `base`.
Vector3 positionOf(float base, std::size_t j)
{
    const float k = base + static_cast<float>(j);
    return {k, k + 0.25f, -k};
}
Vector3 normalOf(float base, std::size_t j) { return {0.5f, base, static_cast<float>(j)}; }
float uOf(std::size_t j) { return static_cast<float>(j) * 0.125f; }
float vOf(float base) { return base * 0.5f; }

enum class Layout {
    Interleaved,     // position, normal, uv in one buffer, as exporters write them
    SeparateBuffers, // position alone, normal and uv in a second buffer
    PositionOnly,
};

Ogre::HardwareVertexBufferSharedPtr makeBuffer(std::size_t vertexSize, std::size_t count,
                                               const std::vector<float>& floats)
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
    Ogre::VertexDeclaration* declaration = data->vertexDeclaration;
    std::vector<float> positions, attributes;
    for (std::size_t j = 0; j < count; ++j) {
        const Vector3 p = positionOf(base, j), n = normalOf(base, j);
        std::vector<float>& rest = layout == Layout::Interleaved ? positions : attributes;
        positions.insert(positions.end(), {p.x, p.y, p.z});
        rest.insert(rest.end(), {n.x, n.y, n.z, uOf(j), vOf(base)});
    }
    declaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
    if (layout == Layout::Interleaved) {
        declaration->addElement(0, 12, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
        declaration->addElement(0, 24, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES);
    } else if (layout == Layout::SeparateBuffers) {
        declaration->addElement(1, 0, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
        declaration->addElement(1, 12, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES);
        data->vertexBufferBinding->setBinding(1, makeBuffer(20, count, attributes));
    }
    data->vertexBufferBinding->setBinding(0, makeBuffer(declaration->getVertexSize(0), count, positions));
    return data;
}

struct SubMeshSpec {
    bool shared = false;
    std::size_t vertexCount = 0; // own vertex data
    float base = 0;
    std::vector<std::uint32_t> indices;
    bool wide = false; // 32-bit indices
    Layout layout = Layout::Interleaved;
};

// OGRE indexes a resource location when it is added; files written later are
// found once the location is added again.
void reindexMeshes()
{
    Ogre::ResourceGroupManager& resources = Ogre::ResourceGroupManager::getSingleton();
    resources.removeResourceLocation("data/meshes", Ogre::RGN_DEFAULT);
    resources.addResourceLocation("data/meshes", "FileSystem", Ogre::RGN_DEFAULT, false);
}

void writeFile(const std::string& fileName, const std::string& bytes)
{
    std::ofstream("data/meshes/" + fileName, std::ios::binary) << bytes;
    reindexMeshes();
}

// Writes data/meshes/<fileName> with OGRE's serializer.
void writeMesh(const std::string& fileName, const std::vector<SubMeshSpec>& subMeshes,
               std::size_t sharedCount = 0, float sharedBase = 0)
{
    static int serial = 0;
    Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual(
        "written" + std::to_string(serial++), Ogre::RGN_DEFAULT);
    if (sharedCount > 0)
        mesh->sharedVertexData = makeVertices(sharedCount, sharedBase, Layout::Interleaved);
    for (const SubMeshSpec& spec : subMeshes) {
        Ogre::SubMesh* subMesh = mesh->createSubMesh();
        subMesh->useSharedVertices = spec.shared;
        if (!spec.shared)
            subMesh->vertexData = makeVertices(spec.vertexCount, spec.base, spec.layout);
        const auto type = spec.wide ? Ogre::HardwareIndexBuffer::IT_32BIT : Ogre::HardwareIndexBuffer::IT_16BIT;
        auto buffer = Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
            type, spec.indices.size(), Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
        if (spec.wide) {
            buffer->writeData(0, buffer->getSizeInBytes(), spec.indices.data());
        } else {
            const std::vector<std::uint16_t> narrow(spec.indices.begin(), spec.indices.end());
            buffer->writeData(0, buffer->getSizeInBytes(), narrow.data());
        }
        subMesh->indexData->indexBuffer = buffer;
        subMesh->indexData->indexCount = spec.indices.size();
    }
    mesh->_setBounds(Ogre::AxisAlignedBox(-1e5f, -1e5f, -1e5f, 1e5f, 1e5f, 1e5f));
    // Marked loaded, so that removing it frees its sub-meshes and vertex data.
    mesh->load();
    Ogre::MeshSerializer().exportMesh(mesh.get(), "data/meshes/" + fileName);
    Ogre::MeshManager::getSingleton().remove(mesh);
    reindexMeshes();
}

// Indices 0, 1, 2, 1, 2, 3, ... over `vertexCount` vertices, `count` of them.
std::vector<std::uint32_t> strip(std::size_t vertexCount, std::size_t count)
{
    std::vector<std::uint32_t> indices;
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
};

Imported import(const std::string& fileName)
{
    Imported result;
    Vertex* vertices = nullptr;
    std::uint32_t* indices = nullptr;
    testing::internal::CaptureStdout();
    MeshImporter::instance()->importMesh(fileName.c_str(), result.vertexCount, vertices,
                                         result.indexCount, indices);
    result.output = testing::internal::GetCapturedStdout();
    result.vertices.reset(vertices);
    result.indices.reset(indices);
    return result;
}

// vertices[at .. at + count) hold vertex data made with `base` and `layout`.
void expectVertices(const Imported& mesh, std::size_t at, std::size_t count, float base,
                    Layout layout = Layout::Interleaved)
{
    for (std::size_t j = 0; j < count; ++j) {
        SCOPED_TRACE("vertex " + std::to_string(at + j));
        const Vertex& v = mesh.vertices[at + j];
        EXPECT_EQ(v.position, positionOf(base, j));
        if (layout == Layout::PositionOnly) {
            EXPECT_EQ(v.normal, Vector3());
            EXPECT_EQ(v.u, 0.0f);
            EXPECT_EQ(v.v, 0.0f);
        } else {
            EXPECT_EQ(v.normal, normalOf(base, j));
            EXPECT_EQ(v.u, uOf(j));
            EXPECT_EQ(v.v, vOf(base));
        }
        EXPECT_EQ(v.tangent, Vector3());
        EXPECT_EQ(v.binormal, Vector3());
        EXPECT_EQ(v.handedness, 0.0f);
    }
}

void expectEmpty(const Imported& mesh, const std::string& fileName)
{
    SCOPED_TRACE(fileName);
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

TEST_F(MeshImporterTest, OgreLogsToItsFileAndNotToTheConsole)
{
    EXPECT_TRUE(setUpOutput.empty()) << setUpOutput;
    writeMesh("quiet.mesh", {{false, 3, 0, {0, 1, 2}}});
    const Imported mesh = import("quiet.mesh");
    EXPECT_EQ(mesh.vertexCount, 3);
    EXPECT_TRUE(mesh.output.empty()) << mesh.output;
    EXPECT_GT(fs::file_size("Ogre.log"), 0u);
}

TEST_F(MeshImporterTest, SubMeshesWithOwnVerticesFollowEachOther)
{
    writeMesh("two.mesh", {{false, 100, 0, strip(100, 300)}, {false, 50, 1000, strip(50, 150)}});
    const Imported mesh = import("two.mesh");
    ASSERT_EQ(mesh.vertexCount, 150);
    ASSERT_EQ(mesh.indexCount, 450);
    expectVertices(mesh, 0, 100, 0);
    expectVertices(mesh, 100, 50, 1000);
    const std::vector<std::uint32_t> first = strip(100, 300), second = strip(50, 150);
    for (std::size_t i = 0; i < 300; ++i)
        ASSERT_EQ(mesh.indices[i], first[i]) << i;
    for (std::size_t i = 0; i < 150; ++i)
        ASSERT_EQ(mesh.indices[300 + i], second[i] + 100) << i;
}

TEST_F(MeshImporterTest, SharedVerticesAreCopiedOnceAtTheirFirstUser)
{
    writeMesh("shared.mesh", {{true, 0, 0, strip(80, 30)}, {true, 0, 0, {79, 78, 77}}}, 80, 500);
    Imported mesh = import("shared.mesh");
    ASSERT_EQ(mesh.vertexCount, 80);
    ASSERT_EQ(mesh.indexCount, 33);
    expectVertices(mesh, 0, 80, 500);
    EXPECT_EQ(mesh.indices[29], strip(80, 30)[29]);
    EXPECT_EQ(mesh.indices[30], 79u);
    EXPECT_EQ(mesh.indices[32], 77u);

    // Own, shared, shared, own: the shared block sits after the first sub-mesh.
    writeMesh("mixed.mesh",
              {{false, 10, 0, {0, 1, 9}}, {true, 0, 0, {0, 1, 2}}, {true, 0, 0, {79, 0, 5}},
               {false, 5, 2000, {4, 3, 0}}},
              80, 500);
    mesh = import("mixed.mesh");
    ASSERT_EQ(mesh.vertexCount, 95);
    ASSERT_EQ(mesh.indexCount, 12);
    expectVertices(mesh, 0, 10, 0);
    expectVertices(mesh, 10, 80, 500);
    expectVertices(mesh, 90, 5, 2000);
    const std::vector<std::uint32_t> expected = {0, 1, 9, 10, 11, 12, 89, 10, 15, 94, 93, 90};
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.indices.get(), mesh.indices.get() + 12), expected);
}

TEST_F(MeshImporterTest, SixteenAndThirtyTwoBitIndicesGiveTheSameResult)
{
    const std::vector<std::uint32_t> indices = strip(40, 60);
    writeMesh("narrow.mesh", {{false, 40, 0, indices, false}});
    writeMesh("wide.mesh", {{false, 40, 0, indices, true}});
    const Imported narrow = import("narrow.mesh");
    const Imported wide = import("wide.mesh");
    ASSERT_EQ(narrow.indexCount, 60);
    ASSERT_EQ(wide.indexCount, 60);
    EXPECT_EQ(std::vector<std::uint32_t>(narrow.indices.get(), narrow.indices.get() + 60),
              std::vector<std::uint32_t>(wide.indices.get(), wide.indices.get() + 60));

    // Beyond 16 bits.
    writeMesh("large.mesh", {{false, 70000, 0, {69999, 65536, 3}, true}});
    const Imported large = import("large.mesh");
    ASSERT_EQ(large.indexCount, 3);
    EXPECT_EQ(large.indices[0], 69999u);
    EXPECT_EQ(large.indices[1], 65536u);
    EXPECT_EQ(large.vertices[69999].position, positionOf(0, 69999));
    EXPECT_EQ(large.vertices[69999].normal, normalOf(0, 69999));
}

TEST_F(MeshImporterTest, IncompleteTrianglesLeaveZerosAtTheEnd)
{
    writeMesh("partial.mesh", {{false, 4, 0, {1, 2, 3, 3, 2, 1, 1}}, {false, 4, 10, {1, 2, 3}}});
    const Imported mesh = import("partial.mesh");
    ASSERT_EQ(mesh.indexCount, 10);
    const std::vector<std::uint32_t> expected = {1, 2, 3, 3, 2, 1, 5, 6, 7, 0};
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.indices.get(), mesh.indices.get() + 10), expected);
}

TEST_F(MeshImporterTest, AttributesAreFoundByTheirSemantic)
{
    writeMesh("layouts.mesh", {{false, 6, 0, {0, 1, 5}, false, Layout::SeparateBuffers},
                               {false, 6, 100, {0, 1, 5}, false, Layout::PositionOnly}});
    const Imported mesh = import("layouts.mesh");
    ASSERT_EQ(mesh.vertexCount, 12);
    expectVertices(mesh, 0, 6, 0, Layout::SeparateBuffers);
    expectVertices(mesh, 6, 6, 100, Layout::PositionOnly);
}

TEST_F(MeshImporterTest, MissingOrUnreadableFilesGiveAnEmptyMesh)
{
    expectEmpty(import("absent.mesh"), "absent.mesh");

    writeFile("garbage.mesh", std::string(500, '\x42'));
    expectEmpty(import("garbage.mesh"), "garbage.mesh");

    writeMesh("outside.mesh", {{false, 4, 0, {0, 1, 2}}, {false, 4, 0, {0, 4, 2}}});
    expectEmpty(import("outside.mesh"), "outside.mesh");
    writeMesh("outside-shared.mesh", {{true, 0, 0, {0, 1, 8}}}, 8);
    expectEmpty(import("outside-shared.mesh"), "outside-shared.mesh");
}

TEST_F(MeshImporterTest, EveryTruncationGivesAValidOrAnEmptyMesh)
{
    writeMesh("whole.mesh", {{false, 4, 0, {0, 1, 2, 2, 1, 3}}, {true, 0, 0, {0, 2, 1}}}, 3, 7);
    std::ifstream in("data/meshes/whole.mesh", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_GT(bytes.size(), 0u);
    for (std::size_t length = 0; length < bytes.size(); ++length) {
        // Each cut under its own name: OGRE keeps every mesh it has loaded.
        const std::string name = "cut" + std::to_string(length) + ".mesh";
        writeFile(name, bytes.substr(0, length));
        const Imported mesh = import(name);
        SCOPED_TRACE(name);
        if (mesh.vertices) {
            EXPECT_TRUE(mesh.output.empty()) << mesh.output;
            for (int i = 0; i < mesh.indexCount; ++i)
                ASSERT_LT(mesh.indices[i], static_cast<std::uint32_t>(mesh.vertexCount));
        } else {
            expectEmpty(mesh, name);
        }
    }
}

TEST_F(MeshImporterTest, BoundsWithMinimumAboveMaximumAreRefused)
{
    // OGRE would stop the program on such bounds instead of throwing.
    writeMesh("bounds.mesh", {{false, 3, 0, {0, 1, 2}}});
    std::ifstream in("data/meshes/bounds.mesh", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string boundsHeader("\x00\x90\x22\x00\x00\x00", 6); // chunk 0x9000, 34 bytes
    const std::size_t bounds = bytes.find(boundsHeader);
    ASSERT_NE(bounds, std::string::npos);
    const float minimumX = 2e5f; // the maximum is 1e5
    std::memcpy(&bytes[bounds + 6], &minimumX, sizeof minimumX);
    writeFile("bad-bounds.mesh", bytes);
    expectEmpty(import("bad-bounds.mesh"), "bad-bounds.mesh");
}
