#pragma once

#include "physics/DebugView.h"

// Draws the physics debug data with OpenGL 1.x client arrays: points, then
// lines, then triangles, each vertex in its element's colour, without
// lighting. Leaves the GL state as it found it.
class DebugRenderer : public DebugView {
public:
    void render(const DebugData& data) override;
};
