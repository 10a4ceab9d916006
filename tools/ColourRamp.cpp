#include "tools/ColourRamp.h"

#include <cassert>

ColourRamp::ColourRamp(std::initializer_list<std::pair<float, Colour>> list) : stops(list)
{
    assert(!stops.empty());
}

Colour ColourRamp::at(float t) const
{
    if (t <= stops.front().first) {
        return stops.front().second;
    }
    for (std::size_t i = 1; i < stops.size(); ++i) {
        if (t < stops[i].first) {
            const float span = stops[i].first - stops[i - 1].first;
            return Colour::mix(stops[i - 1].second, stops[i].second, (t - stops[i - 1].first) / span);
        }
    }
    return stops.back().second;
}
