#include "level/LevelBuilder.h"

#include "level/LevelWorld.h"
#include "math/MathConstants.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

// A PhysicsElement and its children by value, kept after the builder deletes the records.
struct PhysicsCopy {
    PhysicsElement values; // children left empty
    std::vector<PhysicsCopy> children;
};

std::vector<PhysicsCopy> copyTree(const std::list<PhysicsElement*>& elements)
{
    std::vector<PhysicsCopy> copies;
    for (const PhysicsElement* element : elements) {
        copies.push_back({*element, copyTree(element->children)});
        copies.back().values.children.clear();
    }
    return copies;
}

// One render object the builder asked for, with the values it handed over.
struct ObjectCall {
    int node, id;
    std::string type;
    int movingIndex;
    bool ballTest;
    Vector3 position, rotation;
    int precision, materialId;
    std::string meshFileName;
};

struct NodeCall {
    int parent; // -1 for the root
    int actorId;
    Vector3 translation;
};

// Records every call; refuses the objects of the element ids in refused (mesh
// elements then get no geometry).
class RecordingWorld : public LevelWorld {
public:
    int nextActorId() override { return ++lastActorId; }
    int createRootNode(int levelId) override { return addNode({-1, levelId, {}}); }
    int createGroupNode(int parent, const Vector3& position) override { return addNode({parent, -1, position}); }
    bool addObject(int node, const LevelElement& e, PhysicsElement& record) override
    {
        const bool made = refused.count(e.id) == 0;
        if (e.type == "mesh")
            record.mesh = made ? &mesh : nullptr;
        if (made)
            objects.push_back({node, e.id, e.type, record.movingIndex, e.ballTest, e.position, e.rotation,
                               e.precision, e.materialId, e.meshFileName});
        return made;
    }
    void loadSkyBox(const std::string (&t)[6]) override { skyBoxes.push_back({t[0], t[1], t[2], t[3], t[4], t[5]}); }
    void addRootNode(int root) override { addedRoots.push_back(root); }
    void createPhysics(int levelId, const std::list<PhysicsElement*>& elements) override
    {
        physicsLevelId = levelId;
        physics = copyTree(elements);
    }

    // Position of an object in the level: its own plus the translations of the group nodes above it.
    Vector3 levelPosition(const ObjectCall& object) const
    {
        Vector3 p = object.position;
        for (int n = object.node; n >= 0; n = nodes[n].parent)
            p += nodes[n].translation;
        return p;
    }

    int lastActorId = 40;
    std::set<int> refused;
    MeshGeometry mesh; // what mesh elements get
    std::vector<NodeCall> nodes;
    std::vector<ObjectCall> objects;
    std::vector<std::array<std::string, 6>> skyBoxes;
    std::vector<int> addedRoots;
    int physicsLevelId = 0;
    std::vector<PhysicsCopy> physics;

private:
    int addNode(const NodeCall& node)
    {
        nodes.push_back(node);
        return static_cast<int>(nodes.size()) - 1;
    }
};

// Level file text. A "gameElement" is read as one only when it holds a further
// element, so an empty body gets an ignored one.
std::string element(const std::string& attributes, const std::string& body = "")
{
    return "<gameElement " + attributes + ">\n" + (body.empty() ? "<note/>" : body) + "</gameElement>\n";
}

std::string box(int id, const std::string& body = "")
{
    return element("type=box id=" + std::to_string(id) + " ballTest=false", body);
}

std::string triple(const char* wrapper, const char* prefix, const Vector3& v)
{
    std::string xml = std::string("<") + wrapper + ">";
    const float values[] = {v.x, v.y, v.z};
    for (int i = 0; i < 3; ++i) {
        const std::string leaf = prefix + std::string(1, char('X' + i));
        xml += "<" + leaf + ">" + std::to_string(values[i]) + "</" + leaf + ">";
    }
    return xml + "</" + wrapper + ">\n";
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
    // Writes body as a level file and builds it into fresh, which becomes world.
    int load(const std::string& body, RecordingWorld fresh = RecordingWorld())
    {
        std::ofstream(file) << "<level>\n" << body << "</level>\n";
        world = std::move(fresh);
        return builder.load(file.c_str(), world, loaded);
    }

    void TearDown() override { std::remove(file.c_str()); }

    const std::string file = std::string(testing::UnitTest::GetInstance()->current_test_info()->name()) + ".xml";
    LevelBuilder builder;
    RecordingWorld world;
    LoadedLevel loaded;
};

}  // namespace

TEST_F(LevelBuilderTest, MovingIndicesAreHandedOutInPreOrder)
{
    // File order P, Q, R, S; S names Q as its parent, so the build visits P, Q, S, R.
    const int levelId = load(element("type=box id=1 ballTest=false") +
                             element("type=sphere id=2 ballTest=false", parent(1, "fixed")) +
                             element("type=mesh id=3 ballTest=false", parent(1, "moving")) + box(4, parent(2)));
    EXPECT_EQ(levelId, 41);
    EXPECT_EQ(world.physicsLevelId, levelId);
    ASSERT_EQ(world.objects.size(), 4u);
    const int expected[4][2] = {{1, -1}, {2, 0}, {4, 1}, {3, 2}}; // element id, moving index
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(world.objects[i].id, expected[i][0]);
        EXPECT_EQ(world.objects[i].movingIndex, expected[i][1]) << "element " << expected[i][0];
    }

    // The physics records mirror the tree with the same indices.
    ASSERT_EQ(world.physics.size(), 1u);
    const PhysicsCopy& p = world.physics[0];
    ASSERT_EQ(p.children.size(), 2u);
    ASSERT_EQ(p.children[0].children.size(), 1u);
    EXPECT_EQ(p.children[0].values.connection, CONNECTION_FIXED);
    EXPECT_EQ(p.children[0].values.movingIndex, 0);
    EXPECT_EQ(p.children[0].children[0].values.connection, CONNECTION_NONE);
    EXPECT_EQ(p.children[0].children[0].values.movingIndex, 1) << "a free child is drawn where its body goes";
    EXPECT_EQ(p.children[1].values.connection, CONNECTION_MOVING);
    EXPECT_EQ(p.children[1].values.movingIndex, 2);
    EXPECT_EQ(p.children[1].values.mesh, &world.mesh);
}

TEST_F(LevelBuilderTest, ChildrenNeedAParentThatStandsBeforeThem)
{
    // 2 names 3, which comes later; 3 is built, 2 and its own child 4 are not; 99 does not exist.
    load(box(1) + box(2, parent(3)) + box(3) + box(4, parent(2)) + box(5, parent(99)));
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects[0].id, 1);
    EXPECT_EQ(world.objects[1].id, 3);
    ASSERT_EQ(world.physics.size(), 2u);
    EXPECT_TRUE(world.physics[1].children.empty());
}

TEST_F(LevelBuilderTest, ConnectionTextMustMatchExactlyAndJoinsOnlyChildren)
{
    // Element 6 stands at the top level: its connection has no parent body to join.
    testing::internal::CaptureStdout();
    load(box(1) + box(2, parent(1, "Fixed")) + box(3, parent(1, " fixed")) + box(4, parent(1, "rotation")) +
         box(5, parent(1, "moving ")) + box(6, "<elementParent><connection>rotation</connection></elementParent>"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Level file " + file + ": element 6 is not a child, its connection \"rotation\" is ignored\n");
    ASSERT_EQ(world.physics.size(), 2u);
    EXPECT_EQ(world.physics[1].values.connection, CONNECTION_NONE);
    EXPECT_EQ(world.physics[1].values.movingIndex, -1) << "drawn with the level body";
    const std::vector<PhysicsCopy>& children = world.physics[0].children;
    ASSERT_EQ(children.size(), 4u);
    const ConnectionKind expected[] = {CONNECTION_NONE, CONNECTION_NONE, CONNECTION_ROTATION, CONNECTION_NONE};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(children[i].values.connection, expected[i]) << "element " << i + 2;
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(children[i].values.movingIndex, i) << "every child, joined or free";
}

TEST_F(LevelBuilderTest, AttributesAreReadByPosition)
{
    load(element("type=box id=1 ballTest=true") + element("type=box id=2 ballTest=true ") +
         element("type=box id= 12x ballTest=false") + element("type=box") + element("id=9 type=sphere ballTest=true"));
    ASSERT_EQ(world.objects.size(), 5u);
    EXPECT_TRUE(world.objects[0].ballTest);
    EXPECT_FALSE(world.objects[1].ballTest) << "a space after true makes it false";
    EXPECT_EQ(world.objects[2].id, 12) << "leading whitespace is skipped";
    EXPECT_EQ(world.objects[3].type, "box") << "no space: the type runs to the end";
    EXPECT_EQ(world.objects[3].id, 0) << "no id=: id 0";
    EXPECT_EQ(world.objects[4].type, "sphere") << "the type runs to the space after type=";
    EXPECT_TRUE(world.objects[4].ballTest);

    // No type=, a type in the wrong case: nothing, children included.
    load(element("id=1 ballTest=false") + element("type=Box id=2 ballTest=false") + box(3, parent(2, "fixed")));
    EXPECT_TRUE(world.objects.empty());
    EXPECT_TRUE(world.physics.empty());
    EXPECT_EQ(world.addedRoots.size(), 1u) << "the empty level is still built";
}

TEST_F(LevelBuilderTest, LeavesAreConvertedOnlyInTheirOwnWrapper)
{
    const std::string converted =
        "<elementRotation><rotationX>-45</rotationX><rotationY>90</rotationY><rotationZ>x</rotationZ>"
        "</elementRotation><elementMeasures><width> 2.5e1m</width><height>+.5</height><depth>3.</depth>"
        "</elementMeasures><elementMaterial><materialId>  -4abc</materialId></elementMaterial>"
        "<elementPosition><positionX>1e</positionX><positionY>inf</positionY><positionZ>0x10</positionZ>"
        "</elementPosition><elementParent><restitution>0.75</restitution><speedFactor>3</speedFactor></elementParent>"
        "<elementMovingAxis><axisX>1</axisX><axisY>0</axisY><distanceFactor>2</distanceFactor>"
        "<timeFactor>0.5</timeFactor></elementMovingAxis>";
    const std::string misplaced =
        "<positionX>5</positionX><elementRotation><positionX>6</positionX></elementRotation>"
        "<elementPosition><positionY>7</positionY><positionZ/></elementPosition>"
        "<elementMovingAxis><speedFactor>2</speedFactor></elementMovingAxis><elementParent><axisX>9</axisX></elementParent>"
        "<elementMeasures><width>1e39</width><height>-1e39</height><depth>3e38</depth></elementMeasures>";
    const std::string sphere = "<elementRadius><radius>4.5</radius></elementRadius>"
                               "<elementPrecision><precision>24</precision></elementPrecision>" +
                               triple("elementMeasures", "", {7, 7, 7});
    load(box(1, converted) + box(2, misplaced) + element("type=sphere id=3 ballTest=false", sphere) +
         element("type=mesh id=4 ballTest=true", "<elementMeshFileName><fileName>rock.mesh</fileName>"
                                                  "</elementMeshFileName>"));
    ASSERT_EQ(world.objects.size(), 4u);
    ASSERT_EQ(world.physics.size(), 4u);
    const ObjectCall& box1 = world.objects[0];
    EXPECT_FLOAT_EQ(box1.rotation.x, -45 * DEGREES_TO_RADIANS);
    EXPECT_FLOAT_EQ(box1.rotation.y, 1.5707963f);
    EXPECT_EQ(box1.rotation.z, 0.0f) << "nothing readable is 0";
    EXPECT_EQ(box1.materialId, -4);
    EXPECT_EQ(box1.position, Vector3(1, 0, 0)) << "no exponent without digits, no inf, no hexadecimal";
    const PhysicsElement& record = world.physics[0].values;
    EXPECT_EQ(record.measures, Vector3(25.0f, 0.5f, 3.0f));
    EXPECT_EQ(record.restitution, 0.75f);
    EXPECT_EQ(record.axis, Vector3(1, 0, 0));
    EXPECT_EQ(Vector3(record.speedFactor, record.distanceFactor, record.timeFactor), Vector3(3, 2, 0.5f));

    // Leaves outside their wrapper leave the start values.
    EXPECT_EQ(world.objects[1].position, Vector3(0, 7, 0));
    EXPECT_EQ(world.physics[1].values.axis, Vector3(0, 1, 0));
    EXPECT_EQ(world.physics[1].values.speedFactor, 2.0f) << "speedFactor is read in elementMovingAxis too";
    EXPECT_EQ(world.physics[1].values.measures, Vector3(0, 0, 3e38f)) << "beyond the range of a float is unreadable";

    EXPECT_FLOAT_EQ(world.physics[2].values.radius, 4.5f);
    EXPECT_EQ(world.objects[2].precision, 24);
    EXPECT_EQ(world.physics[2].values.measures, Vector3()) << "measures are copied for boxes only";
    EXPECT_EQ(world.objects[3].meshFileName, "rock.mesh");
    EXPECT_TRUE(world.objects[3].ballTest);
}

TEST_F(LevelBuilderTest, ChildrenStandAtTheParentsPositionPlusTheirOwnWithoutItsRotation)
{
    const std::string parentBody = position({10, 0, 0}) + triple("elementRotation", "rotation", {0, 45, 30}) +
                                   triple("elementMeasures", "", {4, 4, 4});
    load(box(1, parentBody) + element("type=sphere id=2 ballTest=false", parent(1, "fixed") + position({1, 0, 0})) +
         box(3, parent(2, "rotation") + position({0, 2, 0})));
    ASSERT_EQ(world.objects.size(), 3u);
    ASSERT_EQ(world.nodes.size(), 3u);
    EXPECT_EQ(world.nodes[0].actorId, 41) << "the root carries the level's actor";
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
    RecordingWorld refusing;
    refusing.refused = {2};
    load(box(1) + element("type=mesh id=2 ballTest=false", parent(1, "moving")) + box(3, parent(2, "fixed")) +
             box(4, parent(1, "fixed")),
         refusing);
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects[1].id, 4);
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
    // Before any level gave them: the origin. A wrapper before the first element names the sky box only.
    load(position({3, 3, 3}) + textures("early") + element("type=skyBox id=1 ballTest=false", position({})) + box(2));
    EXPECT_EQ(world.skyBoxes.at(0)[0], "earlyLeft");
    EXPECT_EQ(world.objects.at(0).position, Vector3());
    EXPECT_EQ(loaded.startPosition, Vector3());
    EXPECT_EQ(loaded.targetPosition, Vector3());
    EXPECT_FALSE(loaded.playable) << "a level without start and target cannot be finished";

    // The sky box takes the last names in the file; the later start wins.
    load(element("type=skyBox id=1 ballTest=false", textures("a")) +
         element("type=startPosition id=2 ballTest=false", position({1, 2, 3})) +
         element("type=targetPosition id=3 ballTest=false", position({7, 8, 9}) + textures("b")) +
         element("type=startPosition id=4 ballTest=false", position({4, 5, 6})));
    EXPECT_EQ(world.skyBoxes.at(0)[0], "bLeft");
    EXPECT_EQ(loaded.startPosition, Vector3(4, 5, 6));
    EXPECT_EQ(loaded.targetPosition, Vector3(7, 8, 9));
    EXPECT_TRUE(loaded.playable);

    // A level without them builds with the previous level's values.
    load(element("type=skyBox id=1 ballTest=false", position({0, 0, 0})));
    const std::array<std::string, 6> expected = {"bLeft", "bRight", "bTop", "bBottom", "bFront", "bBack"};
    EXPECT_EQ(world.skyBoxes.at(0), expected);
    EXPECT_EQ(loaded.startPosition, Vector3(4, 5, 6));
    EXPECT_EQ(loaded.targetPosition, Vector3(7, 8, 9));
    EXPECT_FALSE(loaded.playable) << "values of the previous level do not make this one playable";
}

TEST_F(LevelBuilderTest, FileThatCannotBeOpenedBuildsNothingAndAnEmptyFileAnEmptyLevel)
{
    loaded.actorId = 5;
    EXPECT_EQ(builder.load("no/such/level.xml", world, loaded), 0);
    EXPECT_EQ(builder.load(".", world, loaded), 0) << "a folder opens but cannot be read";
    const std::string pipe = file + ".pipe";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(builder.load(pipe.c_str(), world, loaded), 0) << "a pipe would block at open";
    std::remove(pipe.c_str());
    EXPECT_EQ(world.lastActorId, 40) << "no actor id taken";
    EXPECT_TRUE(world.nodes.empty());
    EXPECT_EQ(world.physicsLevelId, 0);
    EXPECT_EQ(loaded.actorId, 5);
    EXPECT_EQ(loaded.fileName, nullptr);

    for (const std::string text : {"", "just text", "<level></level>"}) {
        world = RecordingWorld();
        std::ofstream(file) << text;
        EXPECT_EQ(builder.load(file.c_str(), world, loaded), 41) << text;
        EXPECT_EQ(loaded.fileName, file.c_str()) << "the caller's pointer is kept";
        EXPECT_EQ(world.addedRoots.size(), 1u);
    }
}

TEST_F(LevelBuilderTest, ElementsBeforeMalformedMarkupAreBuilt)
{
    // Without a further element inside, the reader reports a leaf, which the level file
    // does not know. An element whose position wrapper is not closed keeps its start
    // values; one that is not closed itself is not read.
    load(box(1, position({1, 0, 0})) + "<gameElement type=box id=2 ballTest=false>text</gameElement>" +
         "<gameElement type=box id=3 ballTest=false/><gameElement type=skyBox id=4 ballTest=false></gameElement>" +
         box(5, "<elementPosition><positionX>3</positionX>") + "<gameElement type=box id=6 ballTest=false>" +
         position({5, 0, 0}));
    ASSERT_EQ(world.objects.size(), 2u);
    EXPECT_EQ(world.objects[0].position, Vector3(1, 0, 0));
    EXPECT_EQ(world.objects[1].id, 5);
    EXPECT_EQ(world.objects[1].position, Vector3());
    EXPECT_TRUE(world.skyBoxes.empty());
}

TEST_F(LevelBuilderTest, NestingIsBounded)
{
    // A chain of 200 elements, each the parent of the next.
    std::string body = box(0);
    for (int i = 1; i < 200; ++i)
        body += box(i, parent(i - 1, "fixed"));
    load(body);
    EXPECT_EQ(world.objects.size(), std::size_t(LevelBuilder::MAX_NESTING) + 1);
    EXPECT_EQ(world.objects.back().movingIndex, LevelBuilder::MAX_NESTING - 1);
}
