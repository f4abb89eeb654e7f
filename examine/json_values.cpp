#include "examine/json_values.h"

#include <charconv>
#include <cmath>
#include <cstdio>

std::string nineDigits(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

std::string jsonNumber(double value) {
    return std::isfinite(value) ? nineDigits(value) : "null";
}

std::string jsonDouble(double value) {
    if (!std::isfinite(value)) return "null";
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void appendJsonInts(std::string& text, std::initializer_list<int> values) {
    text += '[';
    bool first = true;
    for (const int value : values) {
        if (!first) text += ", ";
        first = false;
        char digits[16];
        const std::to_chars_result end = std::to_chars(digits, digits + sizeof digits, value);
        text.append(digits, end.ptr);
    }
    text += ']';
}

std::string jsonInts(std::initializer_list<int> values) {
    std::string text;
    appendJsonInts(text, values);
    return text;
}

std::string jsonFloats(std::initializer_list<float> values) {
    std::string text = "[";
    for (const float value : values) {
        if (text.size() > 1) text += ", ";
        text += jsonNumber(value);
    }
    text += ']';
    return text;
}

std::string jsonBool(bool value) {
    return value ? "true" : "false";
}

std::string jsonText(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += c;
        }
    }
    return quoted + "\"";
}
