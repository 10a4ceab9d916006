#include "RenderTestSupport.h"

#include "GlTestContext.h"
#include "effects/EffectParameter.h"
#include "effects/ShaderManager.h"
#include "level/Material.h"
#include "level/MaterialManager.h"
#include "level/MeshImporter.h"
#include "physics/GamePhysic.h"
#include "render/FrameData.h"
#include "render/Frustum.h"
#include "render/RenderManager.h"

#include <GL/glu.h>
#include <OgreHardwareBufferManager.h>
#include <OgreMesh.h>
#include <OgreMeshManager.h>
#include <OgreMeshSerializer.h>
#include <OgreResourceGroupManager.h>
#include <OgreSubMesh.h>
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace rendertest {

namespace {

namespace fs = std::filesystem;

const Vector3 LIGHT{40.0f, 60.0f, 50.0f};
constexpr std::uint8_t CLEAR_GREY = 51;  // 0.2

GLuint checker(float r, float g, float b)
{
    return GlTestContext::makeTexture(16, 16, [=](int x, int y, float* c) {
        const float shade = ((x / 4 + y / 4) % 2) ? 1.0f : 0.6f;
        c[0] = r * shade;
        c[1] = g * shade;
        c[2] = b * shade;
        c[3] = 1.0f;
    });
}

// Slopes that change along s and t differently, so that a swapped or lost tangent
// frame changes the lighting; height in alpha for the parallax shift.
GLuint bumps()
{
    return GlTestContext::makeTexture(64, 64, [](int x, int y, float* c) {
        const float s = (x + 0.5f) / 64.0f, t = (y + 0.5f) / 64.0f;
        const float dx = 0.8f * std::sin(s * 6.2831855f * 2.0f);
        const float dy = 0.5f * std::cos(t * 6.2831855f * 3.0f);
        const float length = std::sqrt(dx * dx + dy * dy + 1.0f);
        c[0] = dx / length * 0.5f + 0.5f;
        c[1] = dy / length * 0.5f + 0.5f;
        c[2] = 1.0f / length * 0.5f + 0.5f;
        c[3] = 0.5f + 0.4f * std::sin(s * 6.2831855f) * std::cos(t * 6.2831855f);
    });
}

// marker tells the materials apart in the effect's "Kd".
int addMaterial(float r, float g, float b, GLuint normalMap, float marker)
{
    Material material;
    material.useLight = true;
    const float ambient[4] = {0.25f, 0.25f, 0.25f, 1.0f};
    const float diffuse[4] = {marker, 0.9f, 0.9f, 1.0f};
    const float specular[4] = {0.3f, 0.3f, 0.3f, 1.0f};
    std::copy(ambient, ambient + 4, material.ambient);
    std::copy(diffuse, diffuse + 4, material.diffuse);
    std::copy(specular, specular + 4, material.specular);
    material.shininess = 16.0f;
    material.texture = checker(r, g, b);
    material.normalMap = normalMap;
    material.hasNormalMap = normalMap != 0;
    return MaterialManager::instance()->addMaterial(material);
}

}  // namespace

const Materials& setUp()
{
    static Materials materials;
    static bool done = false;
    if (done)
        return materials;
    done = true;

    GlTestContext::ensure(WIDTH, HEIGHT);
    const fs::path folder = fs::temp_directory_path() / ("pitchroll-render-" + std::to_string(getpid()));
    fs::create_directories(folder / "data" / "shaders");
    fs::create_directories(folder / "data" / "meshes");
    fs::copy_file(PITCHROLL_SOURCE_DIR "/data/shaders/effectShader.cgfx", folder / "data/shaders/effectShader.cgfx",
                  fs::copy_options::overwrite_existing);
    fs::current_path(folder);
    static const std::string removeAtExit = folder.string();
    std::atexit([] { fs::remove_all(removeAtExit); });

    testing::internal::CaptureStdout();
    MeshImporter::instance();
    ShaderManager::instance()->init();
    std::fflush(stdout);
    testing::internal::GetCapturedStdout();
    GamePhysic::instance()->Init(false);
    RenderManager::instance()->init();

    materials.red = addMaterial(1.0f, 0.3f, 0.2f, 0, 0.91f);
    materials.blue = addMaterial(0.2f, 0.4f, 1.0f, 0, 0.92f);
    materials.bumpy = addMaterial(0.9f, 0.9f, 0.5f, bumps(), 0.93f);

    glViewport(0, 0, WIDTH, HEIGHT);
    glEnable(GL_DEPTH_TEST);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    return materials;
}

void writeMesh(const std::string& fileName, const std::vector<Vertex>& vertices,
               const std::vector<std::uint32_t>& indices)
{
    MeshImporter::instance();  // OGRE's root and buffer manager
    static int serial = 0;
    Ogre::MeshPtr mesh = Ogre::MeshManager::getSingleton().createManual("renderTest" + std::to_string(serial++),
                                                                         Ogre::RGN_DEFAULT);
    Ogre::SubMesh* subMesh = mesh->createSubMesh();
    subMesh->useSharedVertices = false;
    subMesh->vertexData = new Ogre::VertexData();
    subMesh->vertexData->vertexCount = vertices.size();
    Ogre::VertexDeclaration* declaration = subMesh->vertexData->vertexDeclaration;
    declaration->addElement(0, 0, Ogre::VET_FLOAT3, Ogre::VES_POSITION);
    declaration->addElement(0, 12, Ogre::VET_FLOAT3, Ogre::VES_NORMAL);
    declaration->addElement(0, 24, Ogre::VET_FLOAT2, Ogre::VES_TEXTURE_COORDINATES);
    std::vector<float> floats;
    for (const Vertex& v : vertices)
        floats.insert(floats.end(), {v.position.x, v.position.y, v.position.z, v.normal.x, v.normal.y, v.normal.z,
                                     v.u, v.v});
    auto vertexBuffer = Ogre::HardwareBufferManager::getSingleton().createVertexBuffer(
        32, vertices.size(), Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
    vertexBuffer->writeData(0, vertexBuffer->getSizeInBytes(), floats.data());
    subMesh->vertexData->vertexBufferBinding->setBinding(0, vertexBuffer);
    auto indexBuffer = Ogre::HardwareBufferManager::getSingleton().createIndexBuffer(
        Ogre::HardwareIndexBuffer::IT_32BIT, indices.size(), Ogre::HardwareBuffer::HBU_STATIC_WRITE_ONLY, true);
    indexBuffer->writeData(0, indexBuffer->getSizeInBytes(), indices.data());
    subMesh->indexData->indexBuffer = indexBuffer;
    subMesh->indexData->indexCount = indices.size();
    mesh->_setBounds(Ogre::AxisAlignedBox(-1e5f, -1e5f, -1e5f, 1e5f, 1e5f, 1e5f));
    mesh->load();  // so that removing it frees its parts
    Ogre::MeshSerializer().exportMesh(mesh.get(), "data/meshes/" + fileName);
    Ogre::MeshManager::getSingleton().remove(mesh);
    // OGRE indexes a location when it is added: add it again to find the new file.
    Ogre::ResourceGroupManager& resources = Ogre::ResourceGroupManager::getSingleton();
    resources.removeResourceLocation("data/meshes", Ogre::RGN_DEFAULT);
    resources.addResourceLocation("data/meshes", "FileSystem", Ogre::RGN_DEFAULT, false);
}

Matrix4 viewMatrix(const Vector3& eye, const Vector3& target)
{
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    gluLookAt(eye.x, eye.y, eye.z, target.x, target.y, target.z, 0.0, 1.0, 0.0);
    Matrix4 view;
    glGetFloatv(GL_MODELVIEW_MATRIX, view.data());
    glPopMatrix();
    return view;
}

void applyCamera(const Vector3& eye, const Vector3& target)
{
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(40.0, static_cast<double>(WIDTH) / HEIGHT, 1.0, 1000.0);
    Matrix4 projection;
    glGetFloatv(GL_PROJECTION_MATRIX, projection.data());
    glMatrixMode(GL_MODELVIEW);
    const Matrix4 view = viewMatrix(eye, target);
    glLoadMatrixf(view.data());

    FrameData& frame = FrameData::shared();
    frame.viewMatrix = view;
    frame.eyePosition = eye;
    frame.lightPosition = LIGHT;
    frame.frustum = extractFrustum(projection, view);
    frame.renderPass = 2;

    // The light's frustum misses the scene: every fragment counts as lit.
    ShaderManager* shader = ShaderManager::instance();
    shader->setMatrix(EFFECTPARAMETER_LIGHTPROJ, Matrix4().data());
    shader->setMatrix(EFFECTPARAMETER_LIGHTVIEW, Matrix4::translation({50.0f, 50.0f, 50.0f}).data());
    const Vector3 viewLight = Matrix4::transformPoint(view, LIGHT);
    const float viewLightValues[3] = {viewLight.x, viewLight.y, viewLight.z};
    shader->setVector3(EFFECTPARAMETER_VIEWLIGHTPOSITION, viewLightValues);
}

void resetFrame()
{
    FrameData& frame = FrameData::shared();
    frame.frustumCulling = true;
    frame.noAlphaBlending = false;
    frame.depthPass = false;
    frame.renderPass = 2;
    // A ball far off to the side: nothing stands in the way.
    frame.eyeToBall = Ray({0.0f, 0.0f, 0.0f}, {1000.0f, 0.0f, 0.0f});
    frame.eyeToBallDistance = 0.0f;
    RenderManager* manager = RenderManager::instance();
    manager->setNoAlphaBlending(false);
    manager->setDepthPass(false);
    manager->update(0.0f);  // empties the blended queue
}

void clear()
{
    glClearColor(0.2f, 0.2f, 0.2f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}

Image capture()
{
    glFinish();
    return GlTestContext::readPixels(WIDTH, HEIGHT);
}

void save(const Image& image, const std::string& name)
{
    const std::string path = std::string(RENDER_TEST_OUTPUT_DIR) + "/" + name + ".ppm";
    GlTestContext::writePpm(path.c_str(), image, WIDTH, HEIGHT);
}

int differingPixels(const Image& a, const Image& b, int tolerance)
{
    int count = 0;
    for (std::size_t i = 0; i + 3 < a.size() && i + 3 < b.size(); i += 4) {
        int largest = 0;
        for (std::size_t c = 0; c < 3; ++c)
            largest = std::max(largest, std::abs(int(a[i + c]) - int(b[i + c])));
        count += largest > tolerance;
    }
    return count;
}

int coveredPixels(const Image& image)
{
    int count = 0;
    for (std::size_t i = 0; i + 3 < image.size(); i += 4)
        count += image[i] != CLEAR_GREY || image[i + 1] != CLEAR_GREY || image[i + 2] != CLEAR_GREY;
    return count;
}

const std::uint8_t* pixel(const Image& image, int x, int y)
{
    return &image[(static_cast<std::size_t>(y) * WIDTH + static_cast<std::size_t>(x)) * 4];
}

void project(const Vector3& world, float& x, float& y)
{
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    glGetIntegerv(GL_VIEWPORT, viewport);
    GLdouble wx = 0, wy = 0, wz = 0;
    gluProject(world.x, world.y, world.z, modelview, projection, viewport, &wx, &wy, &wz);
    x = static_cast<float>(wx);
    y = static_cast<float>(HEIGHT - wy);
}

const float KD_SENTINEL[4] = {-1.0f, -2.0f, -3.0f, -4.0f};

ProbeBox::ProbeBox(std::vector<DrawRecord>& drawLog, int objectId, int material) : log(drawLog)
{
    init(objectId, {}, 1.0f, 1.0f, 1.0f, {1.0f, 0.0f, 0.0f}, {}, material, false, true, -1);
}

void ProbeBox::render(int renderMethod, bool useDisplayLists, bool useStoredWorld)
{
    DrawRecord record;
    record.id = id;
    record.storedWorld = useStoredWorld;
    glGetIntegerv(GL_CURRENT_PROGRAM, &record.program);
    glGetIntegerv(GL_FRONT_FACE, &record.frontFace);
    const GLuint program = static_cast<GLuint>(record.program);
    if (program)
        glGetUniformfv(program, glGetUniformLocation(program, "Kd"), record.kd);
    log.push_back(record);
    ShaderManager::instance()->setVector4(EFFECTPARAMETER_KD, KD_SENTINEL);
    BoxObject::render(renderMethod, useDisplayLists, useStoredWorld);
}

int passProgram(const char* name)
{
    ShaderManager::instance()->setPass(name);
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    ShaderManager::instance()->resetPass();
    return program;
}

}  // namespace rendertest
