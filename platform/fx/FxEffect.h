#pragma once

#include <memory>
#include <string>
#include <vector>

class FxParameter;
class FxPass;
class FxRenderState;
class FxSource;
class FxTechnique;

// An effect built from one effect file: its techniques in file order and its
// parameters, one per uniform name declared in the code its passes use.
class FxEffect {
public:
    // Sampler parameters get the texture units from this one on, in declaration
    // order; unit 0 stays with fixed-function texturing.
    static constexpr int FIRST_SAMPLER_UNIT = 1;

    // Builds the effect from parsed source, checking every pass's render states
    // against knownStates. Null with error set ("file:line: message") on a bad state.
    static std::unique_ptr<FxEffect> create(const FxSource& source, const std::string& fileName,
                                            const std::vector<const FxRenderState*>& knownStates,
                                            std::string& error);
    ~FxEffect();
    FxEffect(const FxEffect&) = delete;
    FxEffect& operator=(const FxEffect&) = delete;

    // The technique after previous in file order (the first for null); null past the last.
    FxTechnique* techniqueAfter(const FxTechnique* previous) const;
    bool contains(const FxTechnique* technique) const;
    bool contains(const FxPass* pass) const;
    // The parameter of that name, or null.
    FxParameter* parameter(const std::string& name) const;
    const std::vector<FxParameter*>& parameters() const { return parameterList; }

private:
    FxEffect() = default;

    std::vector<std::unique_ptr<FxTechnique>> techniques;
    std::vector<std::unique_ptr<FxParameter>> ownedParameters;
    std::vector<FxParameter*> parameterList;
};
