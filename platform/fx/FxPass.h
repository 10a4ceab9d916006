#pragma once

#include "platform/fx/FxRenderState.h"

#include <string>
#include <utility>
#include <vector>

class FxParameter;

// One pass of a technique: its render states and one GLSL program built from a
// vertex and a fragment shader. The program is compiled and linked on first need.
class FxPass {
public:
    struct State {
        const FxRenderState* state;
        FxRenderState::Value value;
    };

    FxPass(std::string name, std::vector<State> states, std::string vertexShader,
           std::string fragmentShader);
    ~FxPass();
    FxPass(const FxPass&) = delete;
    FxPass& operator=(const FxPass&) = delete;

    const std::string& name() const { return passName; }
    const std::vector<State>& states() const { return stateList; }
    bool setsState(const FxRenderState* state) const;

    // Compiles and links once, finds where the program reads each of parameters, and
    // gives the same answer on later calls. Needs a current GL context.
    bool link(const std::vector<FxParameter*>& parameters);
    // The compiler and linker messages of a failed link.
    const std::string& listing() const { return log; }

    // Makes the program current and sends it every parameter value it reads.
    void use() const;
    // Sends one parameter to the program, which must be current; nothing when the
    // pass does not read it.
    void update(const FxParameter* parameter) const;
    // Where the program reads parameter; -1 when it does not.
    int location(const FxParameter* parameter) const;

    // The program object, 0 before a successful link (for tests and diagnostics).
    unsigned int program() const { return programObject; }

private:
    unsigned int compile(unsigned int stage, const std::string& source, const char* stageName);

    std::string passName;
    std::vector<State> stateList;
    std::string vertexSource;
    std::string fragmentSource;
    bool linkTried = false;
    unsigned int programObject = 0;
    std::string log;
    std::vector<std::pair<const FxParameter*, int>> locations;
};
