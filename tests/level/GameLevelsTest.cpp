#include "game/BallWatch.h"
#include "level/LevelBuilder.h"
#include "level/LevelElement.h"
#include "level/LevelWorld.h"
#include "level/MeshImporter.h"
#include "math/Matrix4.h"
#include "math/MeshGeometry.h"
#include "math/Vertex.h"
#include "physics/GamePhysic.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <list>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <vector>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr float FRAME_TIME = 0.025f;  // one game frame at 40 frames per second
constexpr float MAX_TILT = 5.0f;      // degrees, as far as the player can tilt
constexpr float DEGREE = 0.017453292f;
constexpr int BALL_RADIUS = 3;
constexpr int BALL_ID = 100000;  // far above the level ids the world hands out
constexpr float TARGET_RADIUS = 4.0f;
constexpr int BALL_MATERIAL = 2;    // the marble, and the target marker: at home in every world
constexpr int TARGET_MATERIAL = 3;

// Level content must stay where the start camera and the level's light see it.
constexpr float HALF_WIDTH = 130.0f;  // x
constexpr float HALF_DEPTH = 110.0f;  // z

// The game data is generated, not committed: the levels are played in a
// private working directory whose data/ links to the source tree's.
const fs::path SOURCE_DATA = fs::path(PITCHROLL_SOURCE_DIR) / "data";

// What the game would build, without drawing: the render objects' placement and
// materials, the sky box, and the meshes' triangles for the physics.
class HeadlessWorld : public LevelWorld {
public:
    struct Object {
        std::string type;
        Vector3 position;  // in level coordinates
        int materialId;
    };

    int nextActorId() override { return ++lastActorId; }
    int createRootNode(int) override
    {
        nodeOffsets.assign(1, Vector3());
        return 0;
    }
    int createGroupNode(int parent, const Vector3& position) override
    {
        nodeOffsets.push_back(nodeOffsets[std::size_t(parent)] + position);
        return int(nodeOffsets.size()) - 1;
    }
    bool addObject(int node, const LevelElement& element, PhysicsElement& record) override
    {
        if (element.type == "mesh" && !importMesh(element.meshFileName, record)) {
            missingMeshes.push_back(element.meshFileName);
            return false;
        }
        objects.push_back({element.type, nodeOffsets[std::size_t(node)] + element.position, element.materialId});
        return true;
    }
    void loadSkyBox(const std::string (&textures)[6]) override { skyBox.assign(textures, textures + 6); }
    void addRootNode(int) override {}
    void createPhysics(int levelId, const std::list<PhysicsElement*>& elements) override
    {
        GamePhysic::instance()->CreateKinematicLevel(levelId, elements);
    }

    std::vector<Object> objects;
    std::vector<std::string> skyBox;
    std::vector<std::string> missingMeshes;  // mesh elements whose file gave no triangles

private:
    struct Mesh {
        std::unique_ptr<Vertex[]> vertices;
        std::unique_ptr<std::uint32_t[]> indices;
        MeshGeometry geometry;
    };

    bool importMesh(const std::string& fileName, PhysicsElement& record)
    {
        Mesh mesh;
        Vertex* vertices = nullptr;
        std::uint32_t* indices = nullptr;
        MeshImporter::instance()->importMesh(fileName.c_str(), mesh.geometry.vertexCount, vertices,
                                             mesh.geometry.indexCount, indices);
        mesh.vertices.reset(vertices);
        mesh.indices.reset(indices);
        mesh.geometry.vertices = vertices;
        mesh.geometry.indices = indices;
        if (mesh.geometry.vertexCount == 0)
            return false;
        meshes.push_back(std::move(mesh));
        record.mesh = &meshes.back().geometry;
        return true;
    }

    int lastActorId = 0;
    std::vector<Vector3> nodeOffsets;
    std::list<Mesh> meshes;  // the physics reads the triangles while it builds the level
};

// Holds the ball at a waypoint until a point of a moving element (given in the
// element's own frame) has just arrived at a place (x, z) in the level where the
// element is out of the ball's way for long enough.
struct Gate {
    int element;  // moving index
    Vector3 point;
    float x, z;
};

// A point the scripted player steers the ball over, in level coordinates, and
// the speed (units per simulated second) it rolls towards it with.
struct Waypoint {
    float x, z;
    float speed;
    std::optional<Gate> gate = std::nullopt;
};

struct Course {
    const char* file;
    const char* world;           // sky box folder
    std::set<int> materials;     // the world's own materials; the ball's and the marker's go anywhere
    std::vector<Waypoint> path;  // the target follows the last waypoint
};

std::string describe(const Vector3& v)
{
    char text[64];
    std::snprintf(text, sizeof(text), "(%.1f, %.1f, %.1f)", double(v.x), double(v.y), double(v.z));
    return text;
}

// A person's hand on the mouse: each tilt the player means to set is off by up
// to ERROR of itself (a new error every ERROR_FRAMES), and it reaches the level
// a few frames late.
struct Hand {
    static constexpr float ERROR = 0.2f;
    static constexpr int ERROR_FRAMES = 8;
    static constexpr int MOST_DELAY = 4;  // frames

    explicit Hand(unsigned seed) : random(seed), delay(std::uniform_int_distribution<int>(1, MOST_DELAY)(random)) {}

    // The tilt actually set for the one meant this frame.
    void perturb(int frame, float& tiltX, float& tiltZ)
    {
        if (frame % ERROR_FRAMES == 0) {
            std::uniform_real_distribution<float> error(-ERROR, ERROR);
            errorX = error(random);
            errorZ = error(random);
        }
        late.push_back({tiltX * (1.0f + errorX), tiltZ * (1.0f + errorZ)});
        tiltX = late.front()[0];
        tiltZ = late.front()[1];
        if (int(late.size()) > delay)
            late.erase(late.begin());
    }

    std::mt19937 random;
    int delay;
    float errorX = 0.0f, errorZ = 0.0f;
    std::vector<std::array<float, 2>> late;  // tilts on their way to the level
};

struct Play {
    bool reached = false;
    int frames = 0;
    BallWatch::Event loss = BallWatch::EVENT_NONE;
    Vector3 where;
    std::size_t waypoint = 0;
};

class GameLevelsTest : public ::testing::TestWithParam<Course> {
protected:
    static void SetUpTestSuite() { GamePhysic::instance()->Init(false); }

    void SetUp() override
    {
        if (!fs::exists(SOURCE_DATA / "meshes" / "halfpipe.mesh"))
            GTEST_SKIP() << "game data not generated yet (scripts/setup.sh)";
        previousDirectory = fs::current_path();
        workDirectory = fs::temp_directory_path() / ("pitchroll-levels-" + std::to_string(::getpid()));
        fs::create_directories(workDirectory);
        if (!fs::exists(workDirectory / "data"))
            fs::create_directory_symlink(SOURCE_DATA, workDirectory / "data");
        fs::current_path(workDirectory);

        load();
        ASSERT_NE(levelId, 0) << GetParam().file << " cannot be opened";
    }

    void TearDown() override
    {
        physics->ReleaseActor(BALL_ID);
        physics->ClearLevel();
        if (!previousDirectory.empty()) {
            fs::current_path(previousDirectory);
            fs::remove_all(workDirectory);
        }
    }

    // One game frame: the step started last frame completes, the player's tilt
    // (degrees, clamped as the game clamps it) goes to the level, the sliding
    // elements get their push and the next step starts.
    void frame(float tiltX, float tiltZ)
    {
        physics->FetchResults();
        tiltX = std::clamp(tiltX, -MAX_TILT, MAX_TILT);
        tiltZ = std::clamp(tiltZ, -MAX_TILT, MAX_TILT);
        physics->MoveLevelPosition(Vector3());
        physics->MoveLevelOrientation(Matrix4::rotationX(-tiltX * DEGREE) * Matrix4::rotationZ(tiltZ * DEGREE));
        physics->UpdateMovingElements(FRAME_TIME);
        physics->Simulate();
    }

    void load()
    {
        physics->ReleaseActor(BALL_ID);
        physics->ClearLevel();
        world = HeadlessWorld();
        levelId = builder.load(("data/levels/" + std::string(GetParam().file)).c_str(), world, loaded);
        physics->CreateSphere(BALL_ID, loaded.startPosition, BALL_RADIUS);
    }

    Play play(Hand& hand);

    Vector3 ball() const { return Matrix4::transformPoint(physics->GetActorPose(BALL_ID), Vector3()); }
    Vector3 inLevel(const Vector3& p) const { return Matrix4::transformPoint(physics->GetActorPose(levelId), p); }
    // The ball's height in the level's untilted frame, as the game watches it.
    float ballHeight() const
    {
        return Matrix4::transformPoint(Matrix4::inverseAffine(physics->GetActorPose(levelId)), ball()).y;
    }
    BallWatch watch() const
    {
        BallWatch watch(GamePhysic::NO_HIT_DISTANCE);
        watch.restart(std::fmin(loaded.startPosition.y, loaded.targetPosition.y));
        return watch;
    }
    float aboveGround() const { return physics->RaycastDistance(ball(), Vector3(0.0f, -1.0f, 0.0f)); }

    GamePhysic* physics = GamePhysic::instance();
    LevelBuilder builder;
    HeadlessWorld world;
    LoadedLevel loaded;
    int levelId = 0;
    fs::path previousDirectory;
    fs::path workDirectory;
};

TEST_P(GameLevelsTest, LevelIsBuiltFromItsWorldsDataWithinView)
{
    const Course& course = GetParam();
    EXPECT_TRUE(world.missingMeshes.empty()) << world.missingMeshes.front();
    for (const HeadlessWorld::Object& object : world.objects) {
        EXPECT_TRUE(std::fabs(object.position.x) <= HALF_WIDTH && std::fabs(object.position.z) <= HALF_DEPTH)
            << object.type << " at " << describe(object.position);
        if (object.materialId != BALL_MATERIAL && object.materialId != TARGET_MATERIAL) {
            EXPECT_EQ(course.materials.count(object.materialId), 1u)
                << object.type << " at " << describe(object.position) << " has material " << object.materialId;
        }
    }
    ASSERT_EQ(world.skyBox.size(), 6u);
    for (const std::string& face : world.skyBox) {
        EXPECT_NE(face.find(std::string("/") + course.world + "/"), std::string::npos) << face;
        EXPECT_TRUE(fs::exists(face)) << face;
    }
}

TEST_P(GameLevelsTest, BallComesToRestOnTheFloorAtTheStart)
{
    BallWatch rules = watch();
    for (int i = 0; i < 40; ++i) {
        frame(0.0f, 0.0f);
        ASSERT_EQ(rules.check(ballHeight(), aboveGround(), false).event, BallWatch::EVENT_NONE)
            << "at " << describe(ball());
    }
    EXPECT_NEAR(aboveGround(), float(BALL_RADIUS), 0.2f) << "the ball stands at " << describe(ball());
    const Vector3 moved = ball() - loaded.startPosition;
    EXPECT_LT(std::hypot(moved.x, moved.z), 0.5f) << "the ball rolled to " << describe(ball());
    EXPECT_LT(physics->GetActorVelocity(BALL_ID).length(), 0.05f);
}

// The player steers by tilting towards where the ball should go: the tilt is
// proportional to the difference between the wanted and the actual velocity,
// and changes by at most TILT_RATE a frame, as a hand on a mouse does. The
// game's own ball rules decide whether the ball is lost or at the target.
Play GameLevelsTest::play(Hand& hand)
{
    constexpr int MAX_FRAMES = 4000;
    constexpr float REACHED = 6.0f;        // a waypoint counts as passed this close
    constexpr float TILT_PER_SPEED = 4.0f;  // degrees per unit/s of velocity error
    constexpr float TILT_RATE = 0.5f;       // degrees per frame
    constexpr float FINAL_SPEED = 3.0f;
    constexpr float STOPPING_GAIN = 0.3f;   // wanted speed per unit of distance when stopping
    constexpr float AT_REST = 1.0f;         // a gate's element this close to its resting place has arrived

    std::vector<Waypoint> path = GetParam().path;
    path.push_back({loaded.targetPosition.x, loaded.targetPosition.z, FINAL_SPEED});
    std::size_t next = 0;
    bool gateArmed = false;  // the gate's element was seen away from its place since the ball came
    // A gate opens the moment its element arrives at its place, so the ball has
    // the whole time the element stays away from the path.
    const auto gateOpens = [&](const Gate& gate) {
        const Vector3 point = Matrix4::transformPoint(physics->GetMovingElementPose(gate.element), gate.point);
        const Vector3 place = inLevel(Vector3(gate.x, 0.0f, gate.z));
        const bool arrived = std::hypot(point.x - place.x, point.z - place.z) < AT_REST;
        const bool opens = gateArmed && arrived;
        gateArmed = gateArmed || !arrived;
        return opens;
    };
    const auto toward = [&](const Waypoint& goal, const Vector3& from) {
        const Vector3 at = inLevel(Vector3(goal.x, 0.0f, goal.z));
        return Vector3(at.x - from.x, 0.0f, at.z - from.z);
    };

    BallWatch rules = watch();
    Play result;
    float tiltX = 0.0f, tiltZ = 0.0f;
    for (; result.frames < MAX_FRAMES; ++result.frames) {
        const Vector3 position = ball();
        const bool atTarget = (inLevel(loaded.targetPosition) - position).length() < TARGET_RADIUS;
        const BallWatch::Event event = rules.check(ballHeight(), aboveGround(), atTarget).event;
        result.where = position;
        result.waypoint = next;
        if (event == BallWatch::EVENT_TARGET_REACHED) {
            result.reached = true;
            return result;
        }
        if (event == BallWatch::EVENT_JUMPED || event == BallWatch::EVENT_FELL_OUT) {
            result.loss = event;
            return result;
        }

        // Roll at the waypoint's speed; slow down to stop at the target or at a closed gate.
        Vector3 toGoal = toward(path[next], position);
        bool stopping = next + 1 == path.size();
        if (!stopping && toGoal.length() < REACHED) {
            if (path[next].gate && !gateOpens(*path[next].gate)) {
                stopping = true;
            } else {
                gateArmed = false;
                toGoal = toward(path[++next], position);
                stopping = next + 1 == path.size();
            }
        }
        const float distance = toGoal.length();
        const float speed = stopping ? std::min(path[next].speed, distance * STOPPING_GAIN) : path[next].speed;
        const Vector3 wanted = distance > 0.0f ? toGoal * (speed / distance) : Vector3();
        const Vector3 error = wanted - physics->GetActorVelocity(BALL_ID);
        float meantX = std::clamp(error.z * TILT_PER_SPEED, -MAX_TILT, MAX_TILT);
        float meantZ = std::clamp(error.x * TILT_PER_SPEED, -MAX_TILT, MAX_TILT);
        hand.perturb(result.frames, meantX, meantZ);
        tiltX += std::clamp(meantX - tiltX, -TILT_RATE, TILT_RATE);
        tiltZ += std::clamp(meantZ - tiltZ, -TILT_RATE, TILT_RATE);
        frame(tiltX, tiltZ);
    }
    return result;
}

std::string describe(const Play& play)
{
    const char* how = play.loss == BallWatch::EVENT_JUMPED    ? "jumped"
                      : play.loss == BallWatch::EVENT_FELL_OUT ? "fell out"
                                                               : "stopped";
    return std::string(how) + " at " + describe(play.where) + " after " + std::to_string(play.frames) +
           " frames on the way to waypoint " + std::to_string(play.waypoint);
}

// A person's hand is not exact: with errors in every tilt and a late hand the
// level is still finished nearly every time.
TEST_P(GameLevelsTest, ForgivingRouteTakesAnUnsteadyHand)
{
    constexpr int RUNS = 20;
    constexpr int LEAST_FINISHED = 18;
    int finished = 0;
    for (int run = 0; run < RUNS; ++run) {
        if (run > 0)
            load();
        Hand hand(1000u + unsigned(run));
        const Play result = play(hand);
        if (result.reached)
            ++finished;
        else
            std::printf("%s, run %d (delay %d): %s\n", GetParam().file, run, hand.delay, describe(result).c_str());
    }
    std::printf("%s: %d of %d unsteady runs finished\n", GetParam().file, finished, RUNS);
    EXPECT_GE(finished, LEAST_FINISHED);
}

// Each route follows the course the level lays out; see the level files' areas.
const Course COURSES[] = {
    // Along the front row past the rotating log, back through the lawn between
    // the bumpers and the sliding block, through the hollow log, up the ramp.
    {"jungle.xml", "jungle", {4, 5, 6, 7, 8},
     {{0, 78.5, 6}, {56, 78.5, 5}, {57, 52, 5}, {57, 30, 5}, {-20, 45, 6}, {-60, 40, 5}, {-87, 20, 5}, {-87, -8, 4},
      {-87, -32, 3}, {-70, -32, 5}, {10, -32, 6}, {40, -32, 7}}},
    // Down from the start dais and fast over the arch bridge, brake, wait on the
    // walkway until the beam has swept past, then round the turnstile to the dais.
    {"vulkano.xml", "volcano", {9, 10, 11, 12, 13},
     {{-83, -60, 14}, {-83, -5, 14}, {-83, 15, 3}, {-80, 50, 3}, {-55, 50, 3},
      {-32, 50, 3, Gate{1, {0, 0, 14}, 30, 41}}, {35, 50, 5}, {55, 50, 5},
      {83, 40, 4}, {83, 10, 4}, {83, -15, 4}, {83, -40, 4}, {83, -65, 4}}},
    // Along the pier, over the turntable, a run-up across the coral island and
    // over the bridge, brake, wait until the beam has left the last pier, into
    // the whirlpool.
    {"lagoon.xml", "lagoon", {14, 15, 16, 17, 18},
     {{59, 50, 3}, {59, 20, 3}, {59, 2, 2}, {59, -20, 3}, {60, -45, 3}, {80, -62, 3},
      {60, -60, 5}, {30, -60, 5}, {2, -60, 4}, {-40, -60, 3},
      {-55, -48, 3, Gate{6, {-12, 0, 0}, -51.1f, 3.5f}}, {-55, -30, 3}, {-55, -8, 3}}},
};

INSTANTIATE_TEST_SUITE_P(Worlds, GameLevelsTest, ::testing::ValuesIn(COURSES),
                         [](const ::testing::TestParamInfo<Course>& info) { return std::string(info.param.world); });

}  // namespace

// Beside the jungle's hollow log, between its outer shell and the floor, lie
// gutters 2 below the floor at both ends, from which a ball could never climb
// out. A ball pushed past the log's mouth along the back wall (as a player did)
// is stopped before the gutter, and from there it can still be steered into
// the log and out at its far end.
TEST_P(GameLevelsTest, NoGutterBesideTheHollowLogTrapsTheBall)
{
    if (std::string(GetParam().world) != "jungle")
        GTEST_SKIP() << "the hollow log is the jungle's";
    physics->ReleaseActor(BALL_ID);
    physics->CreateSphere(BALL_ID, Vector3(-90.0f, 3.2f, -48.0f), BALL_RADIUS);
    for (int i = 0; i < 150; ++i)
        frame(-1.0f, 3.0f);
    EXPECT_LT(ball().x, -76.0f) << "the ball went on to " << describe(ball());
    EXPECT_GT(ball().y, 2.0f) << "the ball dropped below the floor at " << describe(ball());
    for (int i = 0; i < 600 && ball().x < 5.0f; ++i)
        frame(i < 60 ? 2.0f : 0.0f, i < 60 ? 0.0f : 3.0f);
    EXPECT_GT(ball().x, 5.0f) << "the ball stayed at " << describe(ball());
}
