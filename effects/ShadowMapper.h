#pragma once

#include "app/Singleton.h"

class Camera;
class Light;

// Depth-map shadows from the one light: a 1024 x 1024 depth texture on a
// framebuffer object, drawn from the light each frame and compared by the
// effect's scene passes.
class ShadowMapper : public Singleton<ShadowMapper> {
    friend class Singleton<ShadowMapper>;

public:
    static constexpr int SIZE = 1024;                // shadow map width and height, texels
    static constexpr float FAIL_VALUE = 0.25f;       // what a shadowed sample reads
    static constexpr float POLYGON_OFFSET = 4.0f;    // depth bias of the shadow pass

    ~ShadowMapper() override;

    // Creates the depth texture and framebuffer (once; later calls keep them).
    void init(Camera* camera, Light* light);
    // Loads the light's matrices and binds the shadow framebuffer; nothing while disabled.
    void beginShadowPass();
    // Back to the window framebuffer with the window viewport, colour writes,
    // smooth shading and lighting; always.
    void endShadowPass();
    void setWindowSize(int width, int height);

    unsigned int depthTexture = 0;
    unsigned int framebuffer = 0;
    bool enabled = false;  // while a level is loaded

private:
    ShadowMapper() = default;

    Camera* camera = nullptr;
    Light* light = nullptr;
    int windowWidth = 0;
    int windowHeight = 0;
};
