#pragma once

#include <array>
#include <string>
#include <vector>

// One render state that an effect pass may set, such as "DepthTestEnable = true;".
// The standard states are a fixed table; a context makes them known to its effect
// files when it registers them.
class FxRenderState {
public:
    // Up to two OpenGL values: a flag (0 or 1), an enum, or a blend factor pair.
    using Value = std::array<unsigned int, 2>;

    // Every state effect files may use, in a fixed order; the table lives for the program.
    static const std::vector<FxRenderState>& standardStates();

    const std::string& name() const { return stateName; }
    // Reads the words after '=' ("true", "LEqual", "SrcAlpha, OneMinusSrcAlpha");
    // false when they do not fit this state.
    bool parse(const std::vector<std::string>& words, Value& value) const;
    // The value OpenGL holds now, so that it can be put back later.
    Value query() const;
    void apply(const Value& value) const;

private:
    enum Kind { CAPABILITY, DEPTH_MASK, DEPTH_FUNC, CULL_FACE, BLEND_FUNC };

    FxRenderState(const char* name, Kind kind, unsigned int capability);

    std::string stateName;
    Kind kind;
    unsigned int capability;  // the glEnable cap of a CAPABILITY state
};
