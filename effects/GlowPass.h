#pragma once

// The scene never goes straight to the window: it is drawn into a texture of
// the window's size, whose bright parts are extracted at a quarter of the
// resolution each way, blurred horizontally and vertically, and added back when
// the image is put on the window. A target of the window's size keeps the
// picture pixel-exact at any size and draws no more pixels than the window has.
class GlowPass {
public:
    static constexpr int GLOW_DIVISOR = 4;  // window pixels per glow texel, each way

    GlowPass() = default;
    ~GlowPass();
    GlowPass(const GlowPass&) = delete;
    GlowPass& operator=(const GlowPass&) = delete;

    // (Re)creates the render targets for a window of width x height pixels; needs a
    // current GL context with framebuffer objects. Nothing when the size is unchanged.
    void resize(int width, int height);
    // Binds the scene target (colour texture and depth renderbuffer) for drawing
    // and sets the viewport to it.
    void bindSceneTarget() const;
    // Extracts and blurs the glow and draws the window image from the scene
    // target. toggle switches the glow on or off first and says which. Leaves
    // depth testing off and the projection matrix current.
    void render(bool toggle);

    int glowWidth() const { return glowExtent(width); }
    int glowHeight() const { return glowExtent(height); }

private:
    static int glowExtent(int windowExtent) { return windowExtent / GLOW_DIVISOR > 0 ? windowExtent / GLOW_DIVISOR : 1; }
    void release();
    void blur(unsigned int source, unsigned int target, float xOffset, float yOffset) const;
    void attach(unsigned int framebuffer, unsigned int colour, unsigned int depth) const;

    int width = 0, height = 0;  // the window's, and the scene target's
    unsigned int sceneFramebuffer = 0, sceneTexture = 0, sceneDepth = 0;
    unsigned int glowFramebuffer = 0, glowDepth = 0;
    // The glow and its half-blurred copy: each blur step reads one and writes the
    // other, as a texture cannot be read while it is being drawn into.
    unsigned int glowTexture = 0, blurTexture = 0;
    bool glowEnabled = true;
};
