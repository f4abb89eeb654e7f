#pragma once

#include <string>

// View numbers as the command-line tools read them: a float is read from its
// decimal text by strtof, so the page's command lines and links carry each
// value as the shortest of its %.1g to %.9g texts that strtof reads back as
// the same float ("-60", not "-6e+01").
std::string floatText(float value);

// The float strtof reads from the whole of `text`; false for an empty text,
// trailing characters, leading blanks, infinities and NaN.
bool floatFromText(const char* text, float* value);
