#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// 8-bit RGB picture, top row first, 3 bytes per pixel: what screen captures
// and PNG files hold.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    const std::uint8_t* at(int x, int row) const {
        return &rgb[(static_cast<std::size_t>(row) * width + x) * 3];
    }
    bool isWhite(int x, int row) const {
        const std::uint8_t* p = at(x, row);
        return p[0] == 255 && p[1] == 255 && p[2] == 255;
    }
};
