#pragma once

#include <cstdint>
#include <vector>

#include "examine/renderer_comparison.h"
#include "scene/color.h"

// Buffers (rows from the bottom) as the window shows them, top row first.

// The picture of a colour buffer (pixel (x, y) at y * width + x, row 0 at the
// bottom) as 8-bit RGB with the top row first, as image files store it; each
// channel is the byte the window shows (windowByte).
std::vector<std::uint8_t> colorBufferToRgbTopDown(const Color* pixels, int width, int height);
// The same into width * height * 3 bytes at rgbTopDown.
void colorBufferToRgbTopDown(const Color* pixels, int width, int height, std::uint8_t* rgbTopDown);

// What a depth buffer holds: the software renderer's normalised-device z
// (-1 near to 1 far) or OpenGL's window depth (0 near to 1 far).
enum class DepthKind { DeviceZ, WindowDepth };

// A depth buffer as window depth, 0 near to 1 far, in double: exact for
// either kind (windowDepthOf).
void windowDepthTopDown(const float* depths, int width, int height, DepthKind kind,
                        std::vector<double>* result);

// The software frame in a colour and a depth buffer as the comparison reads
// a renderer, into the picture's storage.
void softwarePicture(const Color* colors, const float* depths, int width, int height,
                     RendererPicture* picture);

// Another renderer's picture read back as RGBA bytes (r, g, b, a per pixel,
// rows from the bottom, a = 0 where it drew nothing), which carry no depth:
// its covered pixels get window depth 0, so the comparison's colour and
// coverage figures hold and its depth difference means nothing. False,
// leaving the picture as it was, when `rgba` does not hold width * height
// pixels.
bool rgbaPicture(const std::vector<std::uint8_t>& rgba, int width, int height,
                 RendererPicture* picture);
