#pragma once

// The scene never goes straight to the window: it is drawn into a 1024 x 1024
// texture, whose bright parts are extracted at half resolution, blurred
// horizontally and vertically, and added back when the image is put on the window.
class GlowPass {
public:
    static constexpr int SCENE_SIZE = 1024;  // scene target, texels
    static constexpr int GLOW_SIZE = 512;    // glow targets, texels
    // One texel of the glow targets in texture coordinates: the blur step.
    static constexpr float BLUR_STEP = 1.0f / GLOW_SIZE;

    GlowPass() = default;
    ~GlowPass();
    GlowPass(const GlowPass&) = delete;
    GlowPass& operator=(const GlowPass&) = delete;

    // Creates the render targets; needs a current GL context with framebuffer objects.
    void create();
    // Binds the scene target (colour texture and depth renderbuffer) for drawing.
    void bindSceneTarget() const;
    // Extracts and blurs the glow and draws the window image, w x h pixels, from
    // the scene target. toggle switches the glow on or off first and says which.
    // Leaves depth testing off and the projection matrix current.
    void render(int windowWidth, int windowHeight, bool toggle);

    bool enabled() const { return glowEnabled; }
    unsigned int sceneTextureName() const { return sceneTexture; }

private:
    void blur(unsigned int source, unsigned int target, float xOffset, float yOffset) const;
    void attach(unsigned int framebuffer, unsigned int colour, unsigned int depth) const;

    unsigned int sceneFramebuffer = 0, sceneTexture = 0, sceneDepth = 0;
    unsigned int glowFramebuffer = 0, glowDepth = 0;
    // The glow and its half-blurred copy: each blur step reads one and writes the
    // other, as a texture cannot be read while it is being drawn into.
    unsigned int glowTexture = 0, blurTexture = 0;
    bool glowEnabled = true;
};
