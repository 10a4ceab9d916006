#pragma once

#include "physics/DebugData.h"

#include <LinearMath/btIDebugDraw.h>

class SdkOutputStream;

// Collects what the engine draws into DebugData; also the engine's only
// channel for warnings, so it stays attached with drawing switched off.
class DebugCollector : public btIDebugDraw {
public:
    explicit DebugCollector(const SdkOutputStream& output_) : output(output_) {}

    DebugData data;

    using btIDebugDraw::drawLine;
    using btIDebugDraw::drawTriangle;

    void drawLine(const btVector3& from, const btVector3& to, const btVector3& colour) override;
    void drawTriangle(const btVector3& a, const btVector3& b, const btVector3& c, const btVector3& colour,
                      btScalar alpha) override;
    void drawContactPoint(const btVector3& point, const btVector3& normal, btScalar distance, int lifeTime,
                          const btVector3& colour) override;
    void reportErrorWarning(const char* text) override;
    void draw3dText(const btVector3&, const char*) override {}  // text has no place in the debug data
    void setDebugMode(int mode_) override { mode = mode_; }
    int getDebugMode() const override { return mode; }

private:
    const SdkOutputStream& output;
    int mode = DBG_NoDebug;
};
