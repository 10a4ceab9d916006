#pragma once

#include "app/Singleton.h"
#include "platform/fx/FxContext.h"

#include <memory>

class FxEffect;
class FxParameter;
class FxPass;
class FxTechnique;

// Owns the game's one shader effect: loads data/shaders/effectShader.cgfx, picks the
// first technique the driver runs, and lets the rest of the program set effect
// parameters by EffectParameter id and make a named pass current. Failures are
// printed and never stop the game.
class ShaderManager : public Singleton<ShaderManager> {
    friend class Singleton<ShaderManager>;

public:
    ~ShaderManager() override;

    // Once, after the GL context exists and glewInit has run: context, effect,
    // technique and the sixteen parameters, each step checked and reported.
    void init();

    // Each setter takes only the ids EffectParameter lists for it. Before init and
    // after shutdown they do nothing.
    void setTexture(int id, unsigned int texture);
    void setFloat(int id, float value);
    void setVector3(int id, const float* values);
    void setVector4(int id, const float* values);
    // Sixteen floats, column-major as Matrix4 holds them.
    void setMatrix(int id, const float* m);

    // Makes the technique's pass of that name current; the earlier one is not reset.
    void setPass(const char* name);
    // Resets the current pass, if any, and leaves texture unit 0 active and enabled
    // for fixed-function drawing.
    void resetPass();
    // Once, at program exit: the effect, then the context.
    void shutdown();

private:
    enum Setter { SETTER_TEXTURE, SETTER_FLOAT, SETTER_VECTOR3, SETTER_VECTOR4, SETTER_MATRIX };

    ShaderManager();
    void checkError(const char* situation);
    // The handle for id when id fits setter.
    FxParameter* parameter(int id, Setter setter) const;

    std::unique_ptr<FxContext> context;
    FxProfile vertexProfile = FX_PROFILE_GLSL_VERTEX;
    FxProfile fragmentProfile = FX_PROFILE_GLSL_FRAGMENT;
    FxEffect* effect = nullptr;
    FxTechnique* technique = nullptr;  // null when none validated
    FxPass* currentPass = nullptr;     // null until the first setPass
    FxParameter* modelMatrix = nullptr;
    FxParameter* lightProj = nullptr;
    FxParameter* lightView = nullptr;
    FxParameter* lightPosition = nullptr;
    FxParameter* eyePosition = nullptr;
    FxParameter* normalMap = nullptr;
    FxParameter* textureMap = nullptr;
    FxParameter* shadowMap = nullptr;
    FxParameter* viewLightPosition = nullptr;
    FxParameter* Ka = nullptr;
    FxParameter* Kd = nullptr;
    FxParameter* Ks = nullptr;
    FxParameter* shininess = nullptr;
    FxParameter* glowMap = nullptr;
    FxParameter* xOffset = nullptr;
    FxParameter* yOffset = nullptr;
};
