#pragma once

#include <cstdint>
#include <vector>

#include "rgb_image.h"

// The picture RGBA bytes read back from OpenGL (row 0 at the bottom) show,
// top row first, alpha left out.
RgbImage pictureOfRgba(const std::vector<std::uint8_t>& rgba, int width, int height);

// One flag per pixel of that picture, top row first: whether the two RGBA
// read-backs differ there in any byte, alpha included.
std::vector<bool> differingRgba(const std::vector<std::uint8_t>& expected,
                                const std::vector<std::uint8_t>& actual, int width, int height);
