#pragma once

#include <cstddef>
#include <cstdint>

#include "scene/color.h"

// The byte a window stores for a colour channel: clamped to [0, 1] with NaN
// as 0, times 255 in float, rounded to the nearest whole number with ties to
// even.
std::uint8_t windowByte(float value);

namespace rw {

// `count` colours as packed B, G, R, A bytes (alpha always 255), each channel
// through windowByte; SIMD where the processor has it, the same bytes on
// every target.
void convertToBgra(const Color* colors, std::size_t count, std::uint8_t* bgra);

}  // namespace rw
