#pragma once

#include "level/LevelElement.h"
#include "level/LoadedLevel.h"
#include "level/XmlHandler.h"
#include "math/Vector3.h"
#include "physics/PhysicsElement.h"

#include <list>
#include <memory>
#include <string>

class LevelWorld;

// Reads a level file into a tree of LevelElement records and builds it into a
// LevelWorld: render objects under a "levelNode" root, the sky box, the start
// and target, and the PhysicsElement tree for the physics. Headless; the scene
// and physics are reached only through the LevelWorld.
//
// The sky box names, the start and the target survive from one load to the next:
// a level file that does not give them builds with the previous level's values
// (the origin before any level gave one).
class LevelBuilder : public XmlHandler {
public:
    // What the reader is inside: nothing yet, a "gameElement" or one of its wrappers.
    // There is no end-of-element event, so a wrapper's state lasts until the next
    // wrapper or "gameElement" starts.
    enum ReadState {
        STATE_NONE,
        STATE_IN_ELEMENT,
        STATE_PARENT,
        STATE_MOVING_AXIS,
        STATE_POSITION,
        STATE_ROTATION,
        STATE_MESH_FILE_NAME,
        STATE_RADIUS,
        STATE_PRECISION,
        STATE_MEASURES,
        STATE_U_TEX,
        STATE_V_TEX,
        STATE_MATERIAL,
        STATE_TEXTURE_FILE_NAMES,
    };

    // Elements nested deeper than this below a top-level element are dropped like
    // elements whose parent is unknown; it bounds the recursion of the search, the
    // build and the physics on hostile files.
    static constexpr int MAX_NESTING = 64;

    // Reads fileName and builds it into world. Returns the level's actor id and
    // fills loaded; returns 0 and touches neither world nor loaded when the file
    // cannot be read or is no regular file.
    int load(const char* fileName, LevelWorld& world, LoadedLevel& loaded);

    void startElement(const std::string& name, const std::string& attributes) override;
    void leafElement(const std::string& name, const std::string& text, const std::string& attributes) override;
    void endElement(const std::string&, const std::string&, const std::string&) override {}
    void characterData(const std::string&, const std::string&, const std::string&) override {}

    // Sky box images, left, right, top, bottom, front, back: the last given anywhere.
    const std::string (&skyBoxTextures() const)[6] { return skyBoxNames; }
    const Vector3& startPosition() const { return start; }
    const Vector3& targetPosition() const { return target; }

private:
    using ElementList = std::list<std::unique_ptr<LevelElement>>;

    void commit(std::unique_ptr<LevelElement> element);
    // topLevel: list holds the level's own elements, which belong to the level
    // body and take no connection.
    void build(LevelWorld& world, int node, const ElementList& list, bool topLevel,
               std::list<PhysicsElement*>& physics);
    void buildGeometry(LevelWorld& world, int node, const LevelElement& element, bool topLevel,
                       std::list<PhysicsElement*>& physics);

    std::string skyBoxNames[6];
    Vector3 start;
    Vector3 target;
    bool startGiven = false;   // this build met a "startPosition" element
    bool targetGiven = false;  // and a "targetPosition" element
    ReadState readState = STATE_NONE;
    std::unique_ptr<LevelElement> currentElement;
    int movingIndexCounter = 0;
    std::string fileName;  // of the level being loaded, for the lines about its faults
    ElementList elements;
};
