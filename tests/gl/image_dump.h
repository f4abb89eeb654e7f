#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Writes expected, actual and a diff image (mismatching pixels red on black)
// as PPM into a fresh temp directory and returns that directory. Inputs are
// RGBA bytes with row 0 at the bottom, as glReadPixels returns them.
std::string dumpRgbaMismatch(const std::string& name, const std::vector<std::uint8_t>& expected,
                             const std::vector<std::uint8_t>& actual, int width, int height);
