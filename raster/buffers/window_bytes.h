#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "scene/color.h"

// The byte a window stores for a colour channel: clamped to [0, 1] with NaN
// as 0, times 255 in float, rounded to the nearest whole number with ties to
// even. In line: the pictures call it for every channel of every pixel.
inline std::uint8_t windowByte(float value) {
    value = value > 0.0f ? value : 0.0f;
    value = value < 1.0f ? value : 1.0f;
    // Adding 2^23 rounds the product to a whole number (ties to even), which
    // then stands in the low bits of the sum.
    const float shifted = value * 255.0f + 8388608.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<std::uint8_t>(bits & 0xffu);
}

// A colour's red, green and blue as the window shows them.
inline std::array<std::uint8_t, 3> windowBytesOf(const Color& color) {
    return {windowByte(color.r), windowByte(color.g), windowByte(color.b)};
}

// The two scales of depth: normalised-device z (-1 near to 1 far, what the
// software depth buffer holds) and window depth (0 near to 1 far, what
// OpenGL's holds), window = 0.5 z + 0.5, exact in double both ways.
inline double windowDepthOf(float deviceZ) {
    return 0.5 * static_cast<double>(deviceZ) + 0.5;
}
inline double deviceZOf(float windowDepth) {
    return 2.0 * static_cast<double>(windowDepth) - 1.0;
}

namespace rw {

// `count` colours as packed B, G, R, A bytes (alpha always 255), each channel
// through windowByte; SIMD where the processor has it, the same bytes on
// every target.
void convertToBgra(const Color* colors, std::size_t count, std::uint8_t* bgra);

// `count` pixels of a picture as a window shows them: R, G, B and 255 into
// `rgba`, R, G, B into `rgb` and the window depth (windowDepthOf) into
// `windowDepth`; a pixel whose depth is not below 1.0, which nothing was
// drawn into, as the cleared white at depth 1.0. SIMD where the processor
// has it, the same bytes and depths on every target.
void windowPixels(const Color* colors, const float* depths, std::size_t count, std::uint8_t* rgba,
                  std::uint8_t* rgb, double* windowDepth);

}  // namespace rw
