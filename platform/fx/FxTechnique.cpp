#include "platform/fx/FxTechnique.h"

#include "platform/fx/FxPass.h"

#include <algorithm>

FxTechnique::FxTechnique(std::string name) : techniqueName(std::move(name)) {}

FxTechnique::~FxTechnique() = default;

void FxTechnique::addPass(std::unique_ptr<FxPass> pass)
{
    passes.push_back(std::move(pass));
}

FxPass* FxTechnique::pass(const std::string& name) const
{
    for (const auto& candidate : passes) {
        if (candidate->name() == name)
            return candidate.get();
    }
    return nullptr;
}

bool FxTechnique::contains(const FxPass* pass) const
{
    return std::any_of(passes.begin(), passes.end(),
                       [pass](const std::unique_ptr<FxPass>& p) { return p.get() == pass; });
}

bool FxTechnique::validate(const std::vector<FxParameter*>& parameters)
{
    for (const auto& pass : passes) {
        if (!pass->link(parameters)) {
            log = pass->listing();
            return false;
        }
    }
    return true;
}
