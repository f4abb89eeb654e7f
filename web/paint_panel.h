#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "examine/colour_scales.h"

// Fills `rgba` (top row first) with paint(i) of each pixel i (row 0 at the
// bottom) of a width x height picture.
template <typename Paint>
void paintPanel(std::vector<std::uint8_t>& rgba, int width, int height, Paint paint) {
    const std::size_t w = static_cast<std::size_t>(width);
    rgba.resize(w * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = &rgba[static_cast<std::size_t>(height - 1 - y) * w * 4];
        const std::size_t rowStart = static_cast<std::size_t>(y) * w;
        for (std::size_t x = 0; x < w; ++x, out += 4) {
            const Rgb rgb = paint(rowStart + x);
            out[0] = rgb[0];
            out[1] = rgb[1];
            out[2] = rgb[2];
            out[3] = 255;
        }
    }
}
