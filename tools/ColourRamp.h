#pragma once

#include "tools/Colour.h"

#include <initializer_list>
#include <utility>
#include <vector>

// A colour gradient through stops at increasing positions; positions outside
// the first and last stop give the end colours.
class ColourRamp {
public:
    ColourRamp(std::initializer_list<std::pair<float, Colour>> stops);

    Colour at(float t) const;

private:
    std::vector<std::pair<float, Colour>> stops;
};
