#include "web/float_text.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

std::string floatText(float value) {
    std::string shortest;
    for (int digits = 1; digits <= 9; ++digits) {
        char text[32];
        std::snprintf(text, sizeof text, "%.*g", digits, static_cast<double>(value));
        // -60 reads back from "-6e+01" already; "-60" is the shorter text.
        const bool exact = std::strtof(text, nullptr) == value;
        if ((exact || digits == 9) && (shortest.empty() || std::strlen(text) < shortest.size())) {
            shortest = text;
        }
    }
    return shortest;
}

bool floatFromText(const char* text, float* value) {
    if (text[0] == '\0' || std::isspace(static_cast<unsigned char>(text[0]))) return false;
    char* end = nullptr;
    const float read = std::strtof(text, &end);
    if (*end != '\0' || !std::isfinite(read)) return false;
    *value = read;
    return true;
}
