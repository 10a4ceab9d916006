#pragma once

#include "platform/fx/FxRenderState.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

class FxEffect;
class FxParameter;
class FxPass;
class FxTechnique;

// What went wrong in the last failing call of a context.
enum FxError {
    FX_NO_ERROR,
    FX_FILE_ERROR,                      // the effect file cannot be read
    FX_COMPILER_ERROR,                  // effect file or GLSL does not compile; see lastListing
    FX_UNSUPPORTED_PROFILE_ERROR,       // the driver lacks the shader stage
    FX_INVALID_EFFECT_HANDLE_ERROR,
    FX_INVALID_TECHNIQUE_HANDLE_ERROR,
    FX_INVALID_PASS_HANDLE_ERROR,
    FX_INVALID_PARAMETER_HANDLE_ERROR,
    FX_UNKNOWN_PASS_ERROR,              // no pass of that name in the technique
    FX_UNKNOWN_PARAMETER_ERROR,         // no parameter of that name in the effect
    FX_PARAMETER_TYPE_ERROR             // setter does not fit the parameter's type
};

// The shader stages an effect's passes need.
enum FxProfile { FX_PROFILE_GLSL_VERTEX, FX_PROFILE_GLSL_FRAGMENT };

// The effect runtime over GLSL: loads effects, validates techniques, applies passes
// and sets parameters. Every call takes handles that may be null or stale; a bad
// handle or a failure is recorded as the context's error instead of being fatal,
// and lastErrorString reports it once. Everything runs on the GL thread; effects,
// techniques, passes and parameters belong to the context.
class FxContext {
public:
    FxContext();
    ~FxContext();
    FxContext(const FxContext&) = delete;
    FxContext& operator=(const FxContext&) = delete;

    // Checks that the driver runs GLSL shaders of that stage (after glewInit);
    // techniques validate only when both stages have been selected this way.
    void setOptimalOptions(FxProfile profile);
    // Makes the standard render states known to effect files created afterwards.
    void registerStates();

    // Reads and parses an effect file; GLSL is compiled when a technique is
    // validated. Null with the error set when the file cannot be read or parsed.
    FxEffect* createEffectFromFile(const char* fileName);
    // Resets the effect's pass if it is current, then frees its GL programs.
    void destroyEffect(FxEffect* effect);

    // Techniques in the order the effect file declares them; null after the last.
    FxTechnique* firstTechnique(FxEffect* effect);
    FxTechnique* nextTechnique(FxTechnique* technique);
    // Never null; empty for a bad handle.
    const char* techniqueName(FxTechnique* technique);
    // True when every pass compiles and links on this driver. A failure is not an
    // error; its compiler messages become lastListing.
    bool validateTechnique(FxTechnique* technique);

    FxPass* namedPass(FxTechnique* technique, const char* name);
    // Applies the pass's render states, makes its program current and sends it all
    // parameter values. Switching straight to another pass first puts back the
    // states the earlier pass set and the new one does not touch.
    void setPassState(FxPass* pass);
    // Puts back every render state changed since a pass was set and leaves the
    // fixed-function pipeline in use. Nothing for a pass that is not current.
    void resetPassState(FxPass* pass);

    FxParameter* namedEffectParameter(FxEffect* effect, const char* name);
    // Setters store the value in the parameter; when the current pass reads the
    // parameter, it receives the value at once, before the next draw call.
    void setTextureParameter(FxParameter* parameter, unsigned int texture);
    void setParameter1f(FxParameter* parameter, float value);
    void setParameter3fv(FxParameter* parameter, const float* values);
    void setParameter4fv(FxParameter* parameter, const float* values);
    // Sixteen floats in OpenGL's column-major order.
    void setMatrixParameterfc(FxParameter* parameter, const float* values);

    // The error since the last call (FX_NO_ERROR and "" when none), then clears it.
    // The text stays valid until the next call.
    const char* lastErrorString(FxError* error);
    // Compiler messages of the last effect file or technique that failed to compile.
    const char* lastListing() const { return listing.c_str(); }

    // The pass whose states are applied now, or null.
    const FxPass* currentPass() const { return activePass; }

private:
    FxEffect* findEffect(const FxEffect* effect) const;
    FxEffect* effectOf(const FxTechnique* technique) const;
    FxEffect* effectOf(const FxPass* pass) const;
    FxEffect* effectOf(const FxParameter* parameter) const;
    // The parameter when it is valid and of type; otherwise null with the error set.
    FxParameter* checked(FxParameter* parameter, int typeMask, const char* setter);
    void changed(const FxParameter* parameter);
    void setError(FxError code, std::string text);

    std::vector<std::unique_ptr<FxEffect>> effects;
    std::vector<const FxRenderState*> knownStates;
    bool vertexProfile = false;
    bool fragmentProfile = false;

    FxPass* activePass = nullptr;
    // Each state the current pass changed, with its value from before any pass.
    std::vector<std::pair<const FxRenderState*, FxRenderState::Value>> savedStates;

    FxError error = FX_NO_ERROR;
    std::string errorText;
    std::string reportedText;
    std::string listing;
};
