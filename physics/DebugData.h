#pragma once

#include "math/Vector3.h"

#include <cstdint>
#include <vector>

// What the physics engine draws for its debug view in one frame. Colours are
// 0xRRGGBB: red in bits 16..23, green in bits 8..15, blue in bits 0..7.
struct DebugData {
    struct Point {
        Vector3 position;
        std::uint32_t colour;
    };
    struct Line {
        Vector3 from, to;
        std::uint32_t colour;
    };
    struct Triangle {
        Vector3 corners[3];
        std::uint32_t colour;
    };

    std::vector<Point> points;
    std::vector<Line> lines;
    std::vector<Triangle> triangles;

    void clear()
    {
        points.clear();
        lines.clear();
        triangles.clear();
    }
};
