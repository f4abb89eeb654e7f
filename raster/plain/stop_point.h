#pragma once

#include <climits>
#include <cstddef>

// Where a frame of the plain path stops: after face `face` of object
// `object` in draw order (both from 0), and within that face after window
// row `row` (row 0 at the bottom; kWholeFace: after its last row). The
// buffers then hold the frame as it stands at that point.
struct StopPoint {
    static constexpr int kWholeFace = INT_MAX;
    int object = 0;
    int face = 0;
    int row = kWholeFace;

    bool isFace(std::size_t o, std::size_t f) const {
        return o == static_cast<std::size_t>(object) && f == static_cast<std::size_t>(face);
    }
};
