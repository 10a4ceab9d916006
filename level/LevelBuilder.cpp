#include "level/LevelBuilder.h"

#include "app/DataFile.h"
#include "app/Report.h"
#include "level/LevelWorld.h"
#include "level/TextNumber.h"
#include "level/XmlReader.h"
#include "math/MathConstants.h"

#include <algorithm>
#include <cassert>
#include <climits>

namespace {

int toInteger(const std::string& text) { return TextNumber::toInteger(text.c_str()); }
float toDecimal(const std::string& text) { return TextNumber::toDecimal(text.c_str()); }

struct WrapperName {
    const char* name;
    LevelBuilder::ReadState state;
};

const WrapperName WRAPPERS[] = {
    {"elementParent", LevelBuilder::STATE_PARENT},
    {"elementMovingAxis", LevelBuilder::STATE_MOVING_AXIS},
    {"elementPosition", LevelBuilder::STATE_POSITION},
    {"elementRotation", LevelBuilder::STATE_ROTATION},
    {"elementMeshFileName", LevelBuilder::STATE_MESH_FILE_NAME},
    {"elementRadius", LevelBuilder::STATE_RADIUS},
    {"elementPrecision", LevelBuilder::STATE_PRECISION},
    {"elementMeasures", LevelBuilder::STATE_MEASURES},
    {"elementUTex", LevelBuilder::STATE_U_TEX},
    {"elementVTex", LevelBuilder::STATE_V_TEX},
    {"elementMaterial", LevelBuilder::STATE_MATERIAL},
    {"elementTextureFileNames", LevelBuilder::STATE_TEXTURE_FILE_NAMES},
};

// A leaf that a wrapper accepts, and where its text goes in the element.
struct LeafRule {
    LevelBuilder::ReadState wrapper;
    const char* leaf;
    void (*store)(LevelElement& element, const std::string& text);
};

using E = LevelElement;
using S = const std::string;
constexpr float DEGREE = DEGREES_TO_RADIANS;

const LeafRule LEAF_RULES[] = {
    {LevelBuilder::STATE_PARENT, "parentId", [](E& e, S& t) { e.parentId = toInteger(t); }},
    {LevelBuilder::STATE_PARENT, "connection", [](E& e, S& t) { e.connection = t; }},
    {LevelBuilder::STATE_PARENT, "restitution", [](E& e, S& t) { e.restitution = toDecimal(t); }},
    {LevelBuilder::STATE_PARENT, "speedFactor", [](E& e, S& t) { e.speedFactor = toDecimal(t); }},
    {LevelBuilder::STATE_MOVING_AXIS, "axisX", [](E& e, S& t) { e.axis.x = toDecimal(t); }},
    {LevelBuilder::STATE_MOVING_AXIS, "axisY", [](E& e, S& t) { e.axis.y = toDecimal(t); }},
    {LevelBuilder::STATE_MOVING_AXIS, "axisZ", [](E& e, S& t) { e.axis.z = toDecimal(t); }},
    {LevelBuilder::STATE_MOVING_AXIS, "distanceFactor", [](E& e, S& t) { e.distanceFactor = toDecimal(t); }},
    {LevelBuilder::STATE_MOVING_AXIS, "timeFactor", [](E& e, S& t) { e.timeFactor = toDecimal(t); }},
    {LevelBuilder::STATE_MOVING_AXIS, "speedFactor", [](E& e, S& t) { e.speedFactor = toDecimal(t); }},
    {LevelBuilder::STATE_POSITION, "positionX", [](E& e, S& t) { e.position.x = toDecimal(t); }},
    {LevelBuilder::STATE_POSITION, "positionY", [](E& e, S& t) { e.position.y = toDecimal(t); }},
    {LevelBuilder::STATE_POSITION, "positionZ", [](E& e, S& t) { e.position.z = toDecimal(t); }},
    {LevelBuilder::STATE_ROTATION, "rotationX", [](E& e, S& t) { e.rotation.x = toDecimal(t) * DEGREE; }},
    {LevelBuilder::STATE_ROTATION, "rotationY", [](E& e, S& t) { e.rotation.y = toDecimal(t) * DEGREE; }},
    {LevelBuilder::STATE_ROTATION, "rotationZ", [](E& e, S& t) { e.rotation.z = toDecimal(t) * DEGREE; }},
    {LevelBuilder::STATE_MESH_FILE_NAME, "fileName", [](E& e, S& t) { e.meshFileName = t; }},
    {LevelBuilder::STATE_MEASURES, "width", [](E& e, S& t) { e.measures.x = toDecimal(t); }},
    {LevelBuilder::STATE_MEASURES, "height", [](E& e, S& t) { e.measures.y = toDecimal(t); }},
    {LevelBuilder::STATE_MEASURES, "depth", [](E& e, S& t) { e.measures.z = toDecimal(t); }},
    {LevelBuilder::STATE_U_TEX, "uTexX", [](E& e, S& t) { e.uTex.x = toDecimal(t); }},
    {LevelBuilder::STATE_U_TEX, "uTexY", [](E& e, S& t) { e.uTex.y = toDecimal(t); }},
    {LevelBuilder::STATE_U_TEX, "uTexZ", [](E& e, S& t) { e.uTex.z = toDecimal(t); }},
    {LevelBuilder::STATE_V_TEX, "vTexX", [](E& e, S& t) { e.vTex.x = toDecimal(t); }},
    {LevelBuilder::STATE_V_TEX, "vTexY", [](E& e, S& t) { e.vTex.y = toDecimal(t); }},
    {LevelBuilder::STATE_V_TEX, "vTexZ", [](E& e, S& t) { e.vTex.z = toDecimal(t); }},
    {LevelBuilder::STATE_MATERIAL, "materialId", [](E& e, S& t) { e.materialId = toInteger(t); }},
    {LevelBuilder::STATE_RADIUS, "radius", [](E& e, S& t) { e.radius = toDecimal(t); }},
    {LevelBuilder::STATE_PRECISION, "precision", [](E& e, S& t) { e.precision = toInteger(t); }},
};

// In the order left, right, top, bottom, front, back.
const char* const TEXTURE_LEAVES[6] = {"textureLeft",   "textureRight", "textureTop",
                                       "textureBottom", "textureFront", "textureBack"};

// The attribute text "type=T id=N ballTest=B", read by position: each value starts
// just after the first occurrence of its key. A key that is missing leaves the
// start value (empty type, id 0, no ball test).
void readAttributes(LevelElement& element, const std::string& attributes)
{
    static const std::string TYPE_KEY = "type=";
    static const std::string ID_KEY = "id=";
    static const std::string BALL_TEST_KEY = "ballTest=";

    const std::size_t type = attributes.find(TYPE_KEY);
    if (type != std::string::npos) {
        const std::size_t begin = type + TYPE_KEY.size();
        element.type = attributes.substr(begin, attributes.find(' ', begin) - begin);
    }
    const std::size_t id = attributes.find(ID_KEY);
    if (id != std::string::npos)
        element.id = TextNumber::toInteger(attributes.c_str() + id + ID_KEY.size());
    // Everything up to the end counts, so "true " is not true.
    const std::size_t ballTest = attributes.find(BALL_TEST_KEY);
    element.ballTest = ballTest != std::string::npos &&
                       attributes.compare(ballTest + BALL_TEST_KEY.size(), std::string::npos, "true") == 0;
}

ConnectionKind connectionKind(const std::string& text)
{
    if (text == "fixed")
        return CONNECTION_FIXED;
    if (text == "rotation")
        return CONNECTION_ROTATION;
    if (text == "moving")
        return CONNECTION_MOVING;
    return CONNECTION_NONE;
}

// The file's lines, each followed by a line break, without the last line break:
// the whole file without one final line break. False when it cannot be read or
// is no regular file (a pipe would block, a folder has no text).
bool readLines(const char* fileName, std::string& text)
{
    if (DataFile::read(fileName, text) != DataFile::READ)
        return false;
    if (!text.empty() && text.back() == '\n')
        text.pop_back();
    return true;
}

void deleteAll(std::list<PhysicsElement*>& elements)
{
    for (PhysicsElement* element : elements) {
        deleteAll(element->children);
        delete element;
    }
    elements.clear();
}

}  // namespace

int LevelBuilder::load(const char* fileName, LevelWorld& world, LoadedLevel& loaded)
{
    assert(fileName);
    movingIndexCounter = 0;
    this->fileName = fileName;
    std::string text;
    if (!readLines(fileName, text))
        return 0;

    // Collect the elements.
    readState = STATE_NONE;
    currentElement.reset();
    XmlReader reader(this);
    reader.parse(text.c_str(), static_cast<int>(std::min<std::size_t>(text.size(), INT_MAX)));
    if (currentElement)
        commit(std::move(currentElement));
    readState = STATE_NONE;

    // Build them into the scene and the physics world.
    startGiven = targetGiven = false;
    const int levelId = world.nextActorId();
    const int root = world.createRootNode(levelId);
    std::list<PhysicsElement*> physics;
    build(world, root, elements, true, physics);
    world.addRootNode(root);
    world.createPhysics(levelId, physics);
    deleteAll(physics);
    elements.clear();

    loaded.actorId = levelId;
    loaded.fileName = fileName;
    loaded.startPosition = start;
    loaded.targetPosition = target;
    loaded.playable = startGiven && targetGiven;
    return levelId;
}

void LevelBuilder::startElement(const std::string& name, const std::string& attributes)
{
    if (name == "gameElement") {
        if (currentElement)
            commit(std::move(currentElement));
        readState = STATE_IN_ELEMENT;
        currentElement = std::make_unique<LevelElement>();
        readAttributes(*currentElement, attributes);
        return;
    }
    for (const WrapperName& wrapper : WRAPPERS) {
        if (name == wrapper.name) {
            readState = wrapper.state;
            return;
        }
    }
}

void LevelBuilder::leafElement(const std::string& name, const std::string& text, const std::string&)
{
    if (readState == STATE_TEXTURE_FILE_NAMES) {
        for (int i = 0; i < 6; ++i) {
            if (name == TEXTURE_LEAVES[i])
                skyBoxNames[i] = text;
        }
        return;
    }
    // A wrapper before the first "gameElement" has no element to fill.
    if (!currentElement)
        return;
    for (const LeafRule& rule : LEAF_RULES) {
        if (rule.wrapper == readState && name == rule.leaf) {
            rule.store(*currentElement, text);
            return;
        }
    }
}

void LevelBuilder::commit(std::unique_ptr<LevelElement> element)
{
    if (element->parentId < 0) {
        elements.push_back(std::move(element));
        return;
    }
    // Depth first, each element before its children; a parent must stand earlier
    // in the file. An element whose parent is not found is dropped.
    for (const auto& top : elements) {
        if (LevelElement* parent = top->findById(element->parentId, MAX_NESTING - 1)) {
            parent->children.push_back(std::move(element));
            return;
        }
    }
}

void LevelBuilder::build(LevelWorld& world, int node, const ElementList& list, bool topLevel,
                         std::list<PhysicsElement*>& physics)
{
    for (const auto& element : list) {
        const std::string& type = element->type;
        if (type == "box" || type == "sphere" || type == "mesh")
            buildGeometry(world, node, *element, topLevel, physics);
        else if (type == "skyBox")
            world.loadSkyBox(skyBoxNames);
        else if (type == "startPosition")
            start = element->position, startGiven = true;
        else if (type == "targetPosition")
            target = element->position, targetGiven = true;
    }
}

void LevelBuilder::buildGeometry(LevelWorld& world, int node, const LevelElement& element, bool topLevel,
                                 std::list<PhysicsElement*>& physics)
{
    auto* record = new PhysicsElement;
    physics.push_back(record);
    record->type = element.type;
    // Every child is a body of its own that the renderer must follow, joined or
    // free; indices go out in pre-order without gaps. A top-level element is part
    // of the level body, so a connection there would name a body that never exists.
    if (topLevel) {
        if (connectionKind(element.connection) != CONNECTION_NONE)
            report("Level file %s: element %d is not a child, its connection \"%s\" is ignored\n",
                   fileName.c_str(), element.id, element.connection.c_str());
    } else {
        record->connection = connectionKind(element.connection);
        record->movingIndex = movingIndexCounter++;
    }
    record->position = element.position;
    record->rotation = element.rotation;
    if (element.type == "box")
        record->measures = element.measures;
    if (element.type == "sphere")
        record->radius = element.radius;
    record->restitution = element.restitution;
    record->axis = element.axis;
    record->distanceFactor = element.distanceFactor;
    record->timeFactor = element.timeFactor;
    record->speedFactor = element.speedFactor;

    // Without its render object the element keeps its physics record, but its
    // children are not built.
    if (!world.addObject(node, element, *record) || element.children.empty())
        return;
    // The children follow the element's position, not its rotation.
    const int group = world.createGroupNode(node, element.position);
    build(world, group, element.children, false, record->children);
}
