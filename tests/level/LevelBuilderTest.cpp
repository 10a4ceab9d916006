#include "level/LevelBuilder.h"

#include "level/LevelWorld.h"
#include "math/MeshGeometry.h"
#include "physics/GamePhysic.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <vector>

namespace {

constexpr float DEGREE = 0.017453292f;

// A PhysicsElement and its children by value, kept after the builder deletes the records.
struct PhysicsCopy {
    PhysicsElement values;  // children left empty
    std::vector<PhysicsCopy> children;
};

std::vector<PhysicsCopy> copyTree(const std::list<PhysicsElement*>& elements)
{
    std::vector<PhysicsCopy> copies;
    for (const PhysicsElement* element : elements) {
        PhysicsCopy copy;
        copy.values = *element;
        copy.values.children.clear();
        copy.children = copyTree(element->children);
        copies.push_back(copy);
    }
    return copies;
}

// One render object the builder asked for, with the values it handed over.
struct ObjectCall {
    int node;
    int elementId;
    std::string type;
    int movingIndex;
    bool ballTest;
    Vector3 position;
    Vector3 rotation;
    Vector3 measures;
    Vector3 uTex;
    Vector3 vTex;
    float radius;
    int precision;
    int materialId;
    std::string meshFileName;
};

struct NodeCall {
    int parent;  // -1 for the root
    int actorId;
    std::string name;
    Vector3 translation;
};

// A flat square of two triangles, size units wide, in the plane y = 0.
class SquareMesh {
public:
    explicit SquareMesh(float size)
    {
        const float h = size / 2;
        const Vector3 corners[4] = {{-h, 0, -h}, {-h, 0, h}, {h, 0, h}, {h, 0, -h}};
        for (int i = 0; i < 4; ++i)
            vertices[i].position = corners[i];
        geometry.vertexCount = 4;
        geometry.indexCount = 6;
        geometry.vertices = vertices;
        geometry.indices = indices;
    }
    SquareMesh(const SquareMesh&) = delete;
    SquareMesh& operator=(const SquareMesh&) = delete;

    Vertex vertices[4];
    std::uint32_t indices[6] = {0, 1, 2, 0, 2, 3};
    MeshGeometry geometry;
};

// Records every call; refuses the objects of the element ids in refused; hands
// the physics on to the real GamePhysic when forwardPhysics is set.
// The geometry every recorded mesh element gets: a 20 x 20 square.
const MeshGeometry* squareGeometry()
{
    static const SquareMesh square(20.0f);
    return &square.geometry;
}

class RecordingWorld : public LevelWorld {
public:
    int nextActorId() override { return ++lastActorId; }
    int createRootNode(int levelId) override
    {
        nodes.push_back({-1, levelId, "levelNode", {}});
        return int(nodes.size()) - 1;
    }
    int createGroupNode(int parent, const Vector3& position) override
    {
        nodes.push_back({parent, -1, "", position});
        return int(nodes.size()) - 1;
    }
    bool addObject(int node, const LevelElement& e, PhysicsElement& record) override
    {
        if (e.type == "mesh")
            record.mesh = refused.count(e.id) ? nullptr : meshGeometry;
        if (refused.count(e.id))
            return false;
        objects.push_back({node, e.id, e.type, record.movingIndex, e.ballTest, e.position, e.rotation, e.measures,
                           e.uTex, e.vTex, e.radius, e.precision, e.materialId, e.meshFileName});
        return true;
    }
    void loadSkyBox(const std::string (&textures)[6]) override
    {
        skyBoxes.push_back({textures[0], textures[1], textures[2], textures[3], textures[4], textures[5]});
    }
    void addRootNode(int root) override { addedRoots.push_back(root); }
    void createPhysics(int levelId, const std::list<PhysicsElement*>& elements) override
    {
        physicsLevelId = levelId;
        physics = copyTree(elements);
        if (forwardPhysics)
            GamePhysic::instance()->CreateKinematicLevel(levelId, elements);
    }

    // Position of an object in the level: its own position plus the translations
    // of the group nodes above it.
    Vector3 levelPosition(const ObjectCall& object) const
    {
        Vector3 p = object.position;
        for (int n = object.node; n >= 0; n = nodes[n].parent)
            p += nodes[n].translation;
        return p;
    }

    const ObjectCall* object(int elementId) const
    {
        for (const ObjectCall& o : objects) {
            if (o.elementId == elementId)
                return &o;
        }
        return nullptr;
    }

    int lastActorId = 40;
    std::set<int> refused;
    bool forwardPhysics = false;
    const MeshGeometry* meshGeometry = squareGeometry();
    std::vector<NodeCall> nodes;
    std::vector<ObjectCall> objects;
    std::vector<std::array<std::string, 6>> skyBoxes;
    std::vector<int> addedRoots;
    int physicsLevelId = 0;
    std::vector<PhysicsCopy> physics;
};

// Level file text: helpers for the wrappers the tests use. A "gameElement" is read
// as one only when it holds a further element; an empty body gets an ignored one.
std::string element(const std::string& attributes, const std::string& body = "")
{
    return "<gameElement " + attributes + ">\n" + (body.empty() ? "<note/>" : body) + "</gameElement>\n";
}

std::string triple(const char* wrapper, const char* prefix, const Vector3& v)
{
    const auto leaf = [prefix](const char* axis, float value) {
        const std::string name = std::string(prefix) + axis;
        return "<" + name + ">" + std::to_string(value) + "</" + name + ">";
    };
    return std::string("<") + wrapper + ">" + leaf("X", v.x) + leaf("Y", v.y) + leaf("Z", v.z) + "</" + wrapper +
           ">\n";
}

std::string position(const Vector3& p) { return triple("elementPosition", "position", p); }

std::string parent(int id, const std::string& connection = "")
{
    return "<elementParent><parentId>" + std::to_string(id) + "</parentId><connection>" + connection +
           "</connection></elementParent>\n";
}

std::string textures(const std::string& prefix)
{
    std::string xml = "<elementTextureFileNames>";
    for (const char* side : {"Left", "Right", "Top", "Bottom", "Front", "Back"})
        xml += std::string("<texture") + side + ">" + prefix + side + "</texture" + side + ">";
    return xml + "</elementTextureFileNames>\n";
}

class LevelBuilderTest : public ::testing::Test {
protected:
    // Writes a level file with the given elements into the test's folder.
    std::string write(const std::string& body, const std::string& name = "level.xml")
    {
        const std::string file = std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
                                 "_" + name;
        std::ofstream(file) << "<level>\n" << body << "</level>\n";
        files.push_back(file);
        return file;
    }

    // Loads body as a level file into a fresh world.
    int load(const std::string& body)
    {
        world = RecordingWorld();
        return builder.load(write(body).c_str(), world, loaded);
    }

    void TearDown() override
    {
        for (const std::string& file : files)
            std::remove(file.c_str());
    }

    LevelBuilder builder;
    RecordingWorld world;
    LoadedLevel loaded;
    std::vector<std::string> files;
};

}  // namespace

TEST_F(LevelBuilderTest, MovingIndicesAreHandedOutInPreOrder)
{
    // File order P, Q, R, S; S names Q as its parent, so the build visits P, Q, S, R.
    const int levelId = load(element("type=box id=1 ballTest=false") +
                             element("type=sphere id=2 ballTest=false", parent(1, "fixed")) +
                             element("type=mesh id=3 ballTest=false", parent(1, "moving")) +
                             element("type=box id=4 ballTest=false", parent(2)));
    EXPECT_EQ(levelId, 41);
    ASSERT_EQ(world.objects.size(), 4u);
    const int expectedIds[] = {1, 2, 4, 3};
    const int expectedIndices[] = {-1, 0, -1, 1};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(world.objects[i].elementId, expectedIds[i]);
        EXPECT_EQ(world.objects[i].movingIndex, expectedIndices[i]) << "element " << expectedIds[i];
    }

    // The physics records mirror the tree with the same indices and kinds.
    ASSERT_EQ(world.physics.size(), 1u);
    const PhysicsCopy& p = world.physics[0];
    EXPECT_EQ(p.values.movingIndex, -1);
    ASSERT_EQ(p.children.size(), 2u);
    const PhysicsCopy& q = p.children[0];
    const PhysicsCopy& r = p.children[1];
    EXPECT_EQ(q.values.type, "sphere");
    EXPECT_EQ(q.values.connection, CONNECTION_FIXED);
    EXPECT_EQ(q.values.movingIndex, 0);
    EXPECT_EQ(r.values.type, "mesh");
    EXPECT_EQ(r.values.connection, CONNECTION_MOVING);
    EXPECT_EQ(r.values.movingIndex, 1);
    EXPECT_EQ(r.values.mesh, world.meshGeometry);
    ASSERT_EQ(q.children.size(), 1u);
    EXPECT_EQ(q.children[0].values.movingIndex, -1);
    EXPECT_EQ(q.children[0].values.connection, CONNECTION_NONE);
    EXPECT_EQ(world.physicsLevelId, levelId);
}

TEST_F(LevelBuilderTest, ChildrenNeedAParentThatStandsBeforeThem)
{
    // 2 names 3, which comes later; 3 is built, 2 and its own child 4 are not.
    load(element("type=box id=1 ballTest=false") + element("type=box id=2 ballTest=false", parent(3)) +
         element("type=box id=3 ballTest=false") + element("type=box id=4 ballTest=false", parent(2)) +
         element("type=box id=5 ballTest=false", parent(99)));
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects[0].elementId, 1);
    EXPECT_EQ(world.objects[1].elementId, 3);
    EXPECT_EQ(world.physics.size(), 2u);
    EXPECT_TRUE(world.physics[1].children.empty());
}

TEST_F(LevelBuilderTest, ConnectionTextMustMatchExactly)
{
    load(element("type=box id=1 ballTest=false") +
         element("type=box id=2 ballTest=false", parent(1, "Fixed")) +
         element("type=box id=3 ballTest=false", parent(1, " fixed")) +
         element("type=box id=4 ballTest=false", parent(1, "rotation")) +
         element("type=box id=5 ballTest=false", parent(1, "moving ")));
    ASSERT_EQ(world.physics.size(), 1u);
    const std::vector<PhysicsCopy>& children = world.physics[0].children;
    ASSERT_EQ(children.size(), 4u);
    EXPECT_EQ(children[0].values.connection, CONNECTION_NONE);
    EXPECT_EQ(children[0].values.movingIndex, -1);
    EXPECT_EQ(children[1].values.connection, CONNECTION_NONE);
    EXPECT_EQ(children[2].values.connection, CONNECTION_ROTATION);
    EXPECT_EQ(children[2].values.movingIndex, 0) << "no gaps for the unconnected ones";
    EXPECT_EQ(children[3].values.connection, CONNECTION_NONE);
}

TEST_F(LevelBuilderTest, AttributesAreReadByPosition)
{
    load(element("type=box id=1 ballTest=true") + element("type=box id=2 ballTest=true ") +
         element("type=box id=3 ballTest=True") + element("type=box id=-7 ballTest=") +
         element("type=box id= 12x ballTest=false") + element("type=box") +
         element("id=9 type=sphere ballTest=true") + element("type=box id="));
    ASSERT_EQ(world.objects.size(), 8u);
    EXPECT_TRUE(world.objects[0].ballTest);
    EXPECT_FALSE(world.objects[1].ballTest) << "a space after true makes it false";
    EXPECT_FALSE(world.objects[2].ballTest);
    EXPECT_EQ(world.objects[3].elementId, -7);
    EXPECT_EQ(world.objects[4].elementId, 12) << "leading whitespace is skipped";
    EXPECT_EQ(world.objects[5].type, "box") << "no space: the type runs to the end";
    EXPECT_EQ(world.objects[5].elementId, 0) << "no id=: id 0";
    EXPECT_FALSE(world.objects[5].ballTest);
    EXPECT_EQ(world.objects[6].type, "sphere") << "the type runs to the space after type=";
    EXPECT_EQ(world.objects[6].elementId, 9);
    EXPECT_TRUE(world.objects[6].ballTest);
    EXPECT_EQ(world.objects[7].elementId, 0);
}

TEST_F(LevelBuilderTest, UnknownOrMissingTypesBuildNothing)
{
    // No attribute text, no type=, a type in the wrong case, an empty type: nothing,
    // children included.
    load(element("") + element("id=1 ballTest=false") + element("type=Box id=2 ballTest=false") +
         element("type=box id=3 ballTest=false", parent(2, "fixed")) + element("type= id=4 ballTest=false") +
         "<gameElement>" + position({1, 2, 3}) + "</gameElement>");
    EXPECT_TRUE(world.objects.empty());
    EXPECT_TRUE(world.physics.empty());
    EXPECT_TRUE(world.skyBoxes.empty());
    ASSERT_EQ(world.addedRoots.size(), 1u) << "the empty level is still built";
}

TEST_F(LevelBuilderTest, ValuesAreConvertedLikeTheFileFormatSays)
{
    const std::string body =
        "<elementRotation><rotationX>-45</rotationX><rotationY>90</rotationY><rotationZ>x</rotationZ>"
        "</elementRotation>"
        "<elementMeasures><width> 2.5e1m</width><height>+.5</height><depth>3.</depth></elementMeasures>"
        "<elementMaterial><materialId>  -4abc</materialId></elementMaterial>"
        "<elementPosition><positionX>1e</positionX><positionY>inf</positionY><positionZ>0x10</positionZ>"
        "</elementPosition>"
        "<elementParent><restitution>0.75</restitution><speedFactor>3</speedFactor></elementParent>"
        "<elementMovingAxis><axisX>1</axisX><axisY>0</axisY><distanceFactor>2</distanceFactor>"
        "<timeFactor>0.5</timeFactor></elementMovingAxis>"
        "<elementUTex><uTexX>0.1</uTexX></elementUTex><elementVTex><vTexZ>-0.2</vTexZ></elementVTex>";
    load(element("type=box id=1 ballTest=false", body) + element("type=box id=2 ballTest=false"));
    ASSERT_EQ(world.objects.size(), 2u);
    const ObjectCall& box = world.objects[0];
    EXPECT_FLOAT_EQ(box.rotation.y, 1.5707963f);
    EXPECT_FLOAT_EQ(box.rotation.x, -45 * DEGREE);
    EXPECT_EQ(box.rotation.z, 0.0f) << "nothing readable is 0";
    EXPECT_FLOAT_EQ(box.measures.x, 25.0f);
    EXPECT_FLOAT_EQ(box.measures.y, 0.5f);
    EXPECT_FLOAT_EQ(box.measures.z, 3.0f);
    EXPECT_EQ(box.materialId, -4);
    EXPECT_EQ(box.position.x, 1.0f) << "an exponent without digits is not read";
    EXPECT_EQ(box.position.y, 0.0f);
    EXPECT_EQ(box.position.z, 0.0f) << "no hexadecimal";
    EXPECT_EQ(box.uTex, Vector3(0.1f, 1, 1));
    EXPECT_EQ(box.vTex, Vector3(1, 1, -0.2f));

    const PhysicsElement& record = world.physics[0].values;
    EXPECT_FLOAT_EQ(record.restitution, 0.75f);
    EXPECT_FLOAT_EQ(record.speedFactor, 3.0f);
    EXPECT_EQ(record.axis, Vector3(1, 0, 0));
    EXPECT_FLOAT_EQ(record.distanceFactor, 2.0f);
    EXPECT_FLOAT_EQ(record.timeFactor, 0.5f);
    EXPECT_EQ(record.measures, Vector3(25.0f, 0.5f, 3.0f));

    // The second element gives nothing: the start values.
    const ObjectCall& plain = world.objects[1];
    EXPECT_EQ(plain.materialId, -1);
    EXPECT_EQ(plain.measures, Vector3(1, 1, 1));
    EXPECT_EQ(plain.position, Vector3());
    const PhysicsElement& plainRecord = world.physics[1].values;
    EXPECT_EQ(plainRecord.restitution, -1.0f);
    EXPECT_EQ(plainRecord.axis, Vector3(0, 1, 0));
    EXPECT_EQ(plainRecord.speedFactor, 0.0f);
}

TEST_F(LevelBuilderTest, LeavesCountOnlyInTheirOwnWrapper)
{
    const std::string body =
        "<positionX>5</positionX>"                                     // before any wrapper
        "<elementRotation><positionX>6</positionX></elementRotation>"  // wrong wrapper
        "<elementPosition><positionY>7</positionY><positionZ/></elementPosition>"
        "<elementMovingAxis><speedFactor>2</speedFactor></elementMovingAxis>"
        "<elementParent><axisX>9</axisX></elementParent>";
    load(element("type=box id=1 ballTest=false", body));
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].position, Vector3(0, 7, 0));
    EXPECT_FLOAT_EQ(world.physics[0].values.speedFactor, 2.0f) << "speedFactor is read in elementMovingAxis too";
    EXPECT_EQ(world.physics[0].values.axis, Vector3(0, 1, 0));
}

TEST_F(LevelBuilderTest, EachTypeGetsItsOwnValues)
{
    const std::string sphereBody = "<elementRadius><radius>4.5</radius></elementRadius>"
                                   "<elementPrecision><precision>24</precision></elementPrecision>" +
                                   triple("elementMeasures", "", {7, 7, 7});
    load(element("type=sphere id=1 ballTest=false", sphereBody) + element("type=sphere id=2 ballTest=false") +
         element("type=mesh id=3 ballTest=true",
                 "<elementMeshFileName><fileName>rock.mesh</fileName></elementMeshFileName>"
                 "<elementMaterial><materialId>7</materialId></elementMaterial>") +
         element("type=box id=4 ballTest=false", sphereBody));
    ASSERT_EQ(world.objects.size(), 4u);
    EXPECT_FLOAT_EQ(world.objects[0].radius, 4.5f);
    EXPECT_EQ(world.objects[0].precision, 24);
    EXPECT_FLOAT_EQ(world.physics[0].values.radius, 4.5f);
    EXPECT_EQ(world.physics[0].values.measures, Vector3()) << "measures are copied for boxes only";
    EXPECT_EQ(world.objects[1].radius, LevelElement::DEFAULT_RADIUS);
    EXPECT_EQ(world.objects[1].precision, LevelElement::DEFAULT_PRECISION);
    EXPECT_EQ(world.objects[2].meshFileName, "rock.mesh");
    EXPECT_EQ(world.objects[2].materialId, 7);
    EXPECT_TRUE(world.objects[2].ballTest);
    EXPECT_EQ(world.physics[2].values.mesh, world.meshGeometry);
    EXPECT_EQ(world.physics[3].values.radius, 0.0f) << "the radius is copied for spheres only";
}

TEST_F(LevelBuilderTest, ChildrenFollowTheParentsPositionButNotItsRotation)
{
    const std::string parentBody = position({10, 0, 0}) + triple("elementRotation", "rotation", {0, 45, 30});
    load(element("type=box id=1 ballTest=false", parentBody) +
         element("type=sphere id=2 ballTest=false", parent(1, "fixed") + position({1, 0, 0})) +
         element("type=box id=3 ballTest=false", parent(2, "rotation") + position({0, 2, 0})));
    ASSERT_EQ(world.objects.size(), 3u);
    ASSERT_EQ(world.nodes.size(), 3u);
    const NodeCall& root = world.nodes[0];
    EXPECT_EQ(root.name, "levelNode");
    EXPECT_EQ(root.actorId, 41);
    EXPECT_EQ(world.addedRoots, std::vector<int>{0});
    EXPECT_EQ(world.objects[0].node, 0);

    const NodeCall& group = world.nodes[world.objects[1].node];
    EXPECT_EQ(group.parent, 0);
    EXPECT_EQ(group.translation, Vector3(10, 0, 0));
    EXPECT_EQ(group.actorId, -1) << "group nodes keep their own matrix";
    EXPECT_EQ(world.levelPosition(world.objects[1]), Vector3(11, 0, 0));
    EXPECT_EQ(world.levelPosition(world.objects[2]), Vector3(11, 2, 0));
    EXPECT_EQ(world.objects[1].rotation, Vector3());
}

TEST_F(LevelBuilderTest, ObjectThatCannotBeMadeKeepsItsRecordButNotItsChildren)
{
    const std::string body = element("type=box id=1 ballTest=false") +
                             element("type=mesh id=2 ballTest=false", parent(1, "moving")) +
                             element("type=box id=3 ballTest=false", parent(2, "fixed")) +
                             element("type=box id=4 ballTest=false", parent(1, "fixed"));
    world = RecordingWorld();
    world.refused = {2};
    builder.load(write(body).c_str(), world, loaded);
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects[1].elementId, 4);
    EXPECT_EQ(world.objects[1].movingIndex, 1) << "the refused element took index 0, its child none";
    EXPECT_EQ(world.nodes.size(), 2u) << "no group node for the refused element";
    const std::vector<PhysicsCopy>& children = world.physics[0].children;
    ASSERT_EQ(children.size(), 2u);
    EXPECT_EQ(children[0].values.movingIndex, 0);
    EXPECT_EQ(children[0].values.mesh, nullptr);
    EXPECT_TRUE(children[0].children.empty());
}

TEST_F(LevelBuilderTest, SkyBoxStartAndTargetSurviveTheNextLoad)
{
    // Before any level gave them: the origin.
    load(element("type=box id=1 ballTest=false"));
    EXPECT_EQ(loaded.startPosition, Vector3());
    EXPECT_EQ(loaded.targetPosition, Vector3());

    // The sky box takes the last names in the file; the later start wins.
    load(element("type=skyBox id=1 ballTest=false", textures("a")) +
         element("type=startPosition id=2 ballTest=false", position({1, 2, 3})) +
         element("type=targetPosition id=3 ballTest=false", position({7, 8, 9}) + textures("b")) +
         element("type=startPosition id=4 ballTest=false", position({4, 5, 6})));
    ASSERT_EQ(world.skyBoxes.size(), 1u);
    EXPECT_EQ(world.skyBoxes[0][0], "bLeft");
    EXPECT_EQ(world.skyBoxes[0][5], "bBack");
    EXPECT_EQ(loaded.startPosition, Vector3(4, 5, 6));
    EXPECT_EQ(loaded.targetPosition, Vector3(7, 8, 9));

    // A level without them builds with the previous level's values.
    load(element("type=skyBox id=1 ballTest=false", position({0, 0, 0})));
    ASSERT_EQ(world.skyBoxes.size(), 1u);
    const std::array<std::string, 6> expected = {"bLeft", "bRight", "bTop", "bBottom", "bFront", "bBack"};
    EXPECT_EQ(world.skyBoxes[0], expected);
    EXPECT_EQ(loaded.startPosition, Vector3(4, 5, 6));
    EXPECT_EQ(loaded.targetPosition, Vector3(7, 8, 9));
    EXPECT_EQ(builder.skyBoxTextures()[2], "bTop");
}

TEST_F(LevelBuilderTest, FileThatCannotBeOpenedBuildsNothing)
{
    loaded.actorId = 5;
    loaded.startPosition = {1, 1, 1};
    EXPECT_EQ(builder.load("no/such/level.xml", world, loaded), 0);
    EXPECT_EQ(builder.load(".", world, loaded), 0) << "a folder opens but cannot be read";
    EXPECT_EQ(world.lastActorId, 40) << "no actor id taken";
    EXPECT_TRUE(world.nodes.empty());
    EXPECT_TRUE(world.addedRoots.empty());
    EXPECT_EQ(world.physicsLevelId, 0);
    EXPECT_EQ(loaded.actorId, 5);
    EXPECT_EQ(loaded.fileName, nullptr);
    EXPECT_EQ(loaded.startPosition, Vector3(1, 1, 1));
}

TEST_F(LevelBuilderTest, FileWithoutElementsBuildsAnEmptyLevel)
{
    for (const std::string& text : {std::string(), std::string("just text"), std::string("<level></level>")}) {
        world = RecordingWorld();
        const std::string file = write("", "empty.xml");
        std::ofstream(file) << text;
        EXPECT_EQ(builder.load(file.c_str(), world, loaded), 41) << text;
        EXPECT_EQ(loaded.actorId, 41);
        EXPECT_EQ(loaded.fileName, file.c_str()) << "the caller's pointer is kept";
        EXPECT_EQ(world.addedRoots.size(), 1u);
        EXPECT_EQ(world.physicsLevelId, 41);
        EXPECT_TRUE(world.physics.empty());
    }
}

TEST_F(LevelBuilderTest, ElementWithoutChildElementsIsNotRead)
{
    // Without a further element inside, the reader reports a leaf, which the level
    // file does not know; the sky box then stays unloaded.
    load(element("type=box id=1 ballTest=false") + "<gameElement type=box id=2 ballTest=false>text</gameElement>" +
         "<gameElement type=box id=3 ballTest=false/><gameElement type=skyBox id=4 ballTest=false></gameElement>");
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].elementId, 1);
    EXPECT_TRUE(world.skyBoxes.empty());
}

TEST_F(LevelBuilderTest, ElementsBeforeMalformedMarkupAreBuilt)
{
    // The second element's position wrapper has no close tag: the element keeps
    // its start values; the third has no close tag and is not read at all.
    load(element("type=box id=1 ballTest=false", position({1, 0, 0})) +
         element("type=box id=2 ballTest=false", "<elementPosition><positionX>3</positionX>") +
         "<gameElement type=box id=3 ballTest=false>" + position({5, 0, 0}));
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects[0].position, Vector3(1, 0, 0));
    EXPECT_EQ(world.objects[1].position, Vector3());
}

TEST_F(LevelBuilderTest, WrapperBeforeTheFirstElementOnlyNamesTheSkyBox)
{
    load(position({3, 3, 3}) + textures("early") + element("type=skyBox id=1 ballTest=false", position({})) +
         element("type=box id=2 ballTest=false"));
    ASSERT_EQ(world.skyBoxes.size(), 1u);
    EXPECT_EQ(world.skyBoxes[0][0], "earlyLeft");
    ASSERT_EQ(world.objects.size(), 1u);
    EXPECT_EQ(world.objects[0].position, Vector3());
}

TEST_F(LevelBuilderTest, NestingIsBounded)
{
    // A chain of 200 elements, each the parent of the next.
    std::string body = element("type=box id=0 ballTest=false");
    for (int i = 1; i < 200; ++i)
        body += element("type=box id=" + std::to_string(i) + " ballTest=false", parent(i - 1, "fixed"));
    load(body);
    EXPECT_EQ(world.objects.size(), std::size_t(LevelBuilder::MAX_NESTING) + 1);
    EXPECT_EQ(world.objects.back().movingIndex, LevelBuilder::MAX_NESTING - 1);
}

namespace {

// Builds level files into the real physics world.
class LevelBuilderPhysicsTest : public LevelBuilderTest {
protected:
    void SetUp() override { GamePhysic::instance()->Init(false); }
    void TearDown() override
    {
        delete GamePhysic::instance();
        LevelBuilderTest::TearDown();
    }

    int loadFile(const std::string& file)
    {
        world = RecordingWorld();
        world.forwardPhysics = true;
        return builder.load(file.c_str(), world, loaded);
    }

    static Vector3 movingElementPosition(int index)
    {
        const Matrix4 pose = GamePhysic::instance()->GetMovingElementPose(index);
        return {pose[12], pose[13], pose[14]};
    }

    static void expectNear(const Vector3& actual, const Vector3& expected)
    {
        EXPECT_NEAR(actual.x, expected.x, 1e-3f);
        EXPECT_NEAR(actual.y, expected.y, 1e-3f);
        EXPECT_NEAR(actual.z, expected.z, 1e-3f);
    }
};

}  // namespace

TEST_F(LevelBuilderPhysicsTest, ChildBodyStandsAtItsParentsPositionPlusItsOwn)
{
    const std::string parentBody = position({10, 0, 0}) + triple("elementRotation", "rotation", {0, 45, 0}) +
                                   triple("elementMeasures", "", {4, 4, 4});
    loadFile(write(element("type=box id=1 ballTest=false", parentBody) +
                   element("type=box id=2 ballTest=false", parent(1, "fixed") + position({1, 0, 0}))));
    expectNear(movingElementPosition(0), {11, 0, 0});
}

TEST_F(LevelBuilderPhysicsTest, TestCourseBuildsEveryKindOfElement)
{
    const std::string file = std::string(PITCHROLL_SOURCE_DIR) + "/tests/data/levels/course.xml";
    const int levelId = loadFile(file);
    ASSERT_EQ(levelId, 41);
    EXPECT_EQ(world.physicsLevelId, levelId);

    // Sky box, start and target.
    ASSERT_EQ(world.skyBoxes.size(), 1u);
    EXPECT_EQ(world.skyBoxes[0][0], "data/skybox/jungle/left.tga");
    EXPECT_EQ(world.skyBoxes[0][5], "data/skybox/jungle/back.tga");
    EXPECT_EQ(loaded.startPosition, Vector3(-40, 4, 30));
    EXPECT_EQ(loaded.targetPosition, Vector3(55, 9, -35));

    // Every object type, the ball-test walls and the connected children in pre-order.
    std::map<std::string, int> types;
    std::vector<int> ballTested;
    for (const ObjectCall& object : world.objects) {
        ++types[object.type];
        if (object.ballTest)
            ballTested.push_back(object.elementId);
    }
    EXPECT_EQ(types["box"], 12);
    EXPECT_EQ(types["sphere"], 3);
    EXPECT_EQ(types["mesh"], 1);
    EXPECT_EQ(world.object(21)->meshFileName, "rock.mesh");
    EXPECT_EQ(ballTested, (std::vector<int>{14, 15}));
    EXPECT_EQ(world.object(30)->movingIndex, 0);
    EXPECT_EQ(world.object(31)->movingIndex, 1);
    EXPECT_EQ(world.object(32)->movingIndex, 2);
    EXPECT_EQ(world.object(33)->movingIndex, -1);
    ASSERT_EQ(world.physics.size(), 12u) << "top-level boxes, spheres and the mesh";
    EXPECT_FLOAT_EQ(world.physics[10].values.restitution, 0.9f) << "the bumper";
    EXPECT_EQ(world.physics[0].children.size(), 3u) << "hub, slider and crate hang on the floor";

    // The physics world holds the floor, the platform, the rock and the jointed elements.
    GamePhysic& physics = *GamePhysic::instance();
    const Vector3 down(0, -1, 0);
    EXPECT_NEAR(physics.RaycastDistance({-40, 50, 30}, down), 50.0f, 1e-3f) << "floor under the start";
    EXPECT_NEAR(physics.RaycastDistance({55, 50, -35}, down), 44.0f, 1e-3f) << "platform under the target";
    EXPECT_NEAR(physics.RaycastDistance({-55, 50, -42}, down), 50.0f, 1e-3f) << "the rock's square";
    expectNear(movingElementPosition(0), {0, 4, -5});
    expectNear(movingElementPosition(1), {0, 4, -5});
    expectNear(movingElementPosition(2), {-15, 3, 25});
}
