#pragma once

#include "math/Vector3.h"

#include <list>
#include <memory>
#include <string>

// One "gameElement" of a level file as it is read: the values of its leaves and
// the elements that name it as their parent. Lives only while a level is built.
class LevelElement {
public:
    // A sphere element that gives no radius or precision is built with these.
    static constexpr float DEFAULT_RADIUS = 1.0f;
    static constexpr int DEFAULT_PRECISION = 16;

    // The first element whose id equals wanted, in depth-first order (an element
    // before its children, the children in list order), among this element and its
    // descendants at most levels below it; null when none does.
    LevelElement* findById(int wanted, int levels);

    std::string type;           // "box", "sphere", "mesh", "skyBox", "startPosition", "targetPosition"
    int id = 0;
    bool ballTest = false;      // the render object fades while it hides the ball
    int parentId = -1;          // negative: a top-level element
    std::string connection;     // "fixed", "rotation", "moving"; any other text is none
    float restitution = -1.0f;  // negative: the default material
    Vector3 axis{0.0f, 1.0f, 0.0f};
    float distanceFactor = 0.0f;
    float timeFactor = 0.0f;
    float speedFactor = 0.0f;
    Vector3 position;           // for a child: relative to the parent's position
    Vector3 rotation;           // radians
    std::string meshFileName;   // relative to data/meshes
    Vector3 measures{1.0f, 1.0f, 1.0f};  // box width, height, depth
    float radius = DEFAULT_RADIUS;
    int precision = DEFAULT_PRECISION;
    Vector3 uTex{1.0f, 1.0f, 1.0f};
    Vector3 vTex{1.0f, 1.0f, 1.0f};
    int materialId = -1;        // -1: no material
    std::list<std::unique_ptr<LevelElement>> children;
};
