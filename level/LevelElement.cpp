#include "level/LevelElement.h"

LevelElement* LevelElement::findById(int wanted, int levels)
{
    if (id == wanted)
        return this;
    if (levels <= 0)
        return nullptr;
    for (const auto& child : children) {
        if (LevelElement* found = child->findById(wanted, levels - 1))
            return found;
    }
    return nullptr;
}
