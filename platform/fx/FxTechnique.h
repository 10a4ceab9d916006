#pragma once

#include <memory>
#include <string>
#include <vector>

class FxParameter;
class FxPass;

// A named list of passes. It is valid on the running driver when every one of its
// passes compiles and links.
class FxTechnique {
public:
    explicit FxTechnique(std::string name);
    ~FxTechnique();
    FxTechnique(const FxTechnique&) = delete;
    FxTechnique& operator=(const FxTechnique&) = delete;

    const std::string& name() const { return techniqueName; }
    void addPass(std::unique_ptr<FxPass> pass);
    // The pass of that name, or null.
    FxPass* pass(const std::string& name) const;
    bool contains(const FxPass* pass) const;

    // Links every pass (once); false at the first that fails, whose messages
    // listing() then holds.
    bool validate(const std::vector<FxParameter*>& parameters);
    const std::string& listing() const { return log; }

private:
    std::string techniqueName;
    std::vector<std::unique_ptr<FxPass>> passes;
    std::string log;
};
