#pragma once

#include <initializer_list>
#include <string>

// Pieces of the page's JSON, written as the command-line tools write theirs:
// floats with nine significant digits (they read back to the same 32-bit
// value), infinities and NaN as null.
std::string jsonNumber(float value);
std::string jsonFloats(std::initializer_list<float> values);
std::string jsonInts(std::initializer_list<int> values);
std::string jsonText(const std::string& text);
