#pragma once

struct DebugData;

// Draws the physics debug data. The physics library knows no graphics: the
// display side implements this and registers it with GamePhysic::SetDebugRenderer.
class DebugView {
public:
    virtual ~DebugView() = default;
    virtual void render(const DebugData& data) = 0;
};
