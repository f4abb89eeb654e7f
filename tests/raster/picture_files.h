#pragma once

#include <vector>

#include "rgb_image.h"

struct Color;

// The picture a colour array (row 0 at the bottom) shows in the window, top
// row first, each channel the byte windowByte makes of it.
RgbImage pictureOfColors(const Color* colors, int width, int height);

// One flag per pixel of that picture, top row first: whether the two colour
// arrays differ there in any bit.
std::vector<bool> differingColors(const Color* expected, const Color* actual, int width,
                                  int height);
