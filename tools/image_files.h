#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

#include "scene/color.h"

// One colour channel as the window shows it: clamped to [0, 1], multiplied by
// 255 in float and rounded to the nearest step, ties to even; NaN shows as 0.
std::uint8_t toDisplayByte(float channel);

// The picture of a colour buffer (pixel (x, y) at y * width + x, row 0 at the
// bottom) as 8-bit RGB with the top row first, as image files store it.
std::vector<std::uint8_t> colorBufferToRgbTopDown(const Color* pixels, int width, int height);

// Reverses the row order of packed 8-bit RGB rows (bottom-up <-> top-down).
void flipRgbRows(std::vector<std::uint8_t>& rgb, int width, int height);

// The writers return false when the stream reports a write error; the caller
// still owns and closes the stream.

// 8-bit RGB PNG, rows top to bottom.
bool writePng(std::FILE* out, const std::uint8_t* rgbTopDown, int width, int height);

// Colour PFM ("PF"): r, g, b of every pixel as little-endian floats, rows
// bottom to top, exactly as stored (not clamped); alpha is dropped.
bool writeColorPfm(std::FILE* out, const Color* pixels, int width, int height);

// Greyscale PFM ("Pf") of a depth buffer, little-endian, rows bottom to top.
bool writeDepthPfm(std::FILE* out, const float* depths, int width, int height);
