#include "tools/command_line/option_rules.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "base/shown_text.h"

namespace {

bool parseCount(const std::string& name, const std::string& text, long long smallest,
                long long largest, int* out, std::string* error) {
    const std::size_t start = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool digitsOnly = text.size() > start;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') digitsOnly = false;
    }
    if (!digitsOnly) {
        *error = "invalid value " + shown(text) + " for " + name + ": expected a whole number";
        return false;
    }
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < smallest || value > largest) {
        *error = name + " must be between " + std::to_string(smallest) + " and " +
                 std::to_string(largest) + ", got " + shown(text);
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool parseFinite(const std::string& name, const std::string& text, float* out, std::string* error) {
    // strtof would skip leading blanks and accept "inf" and "nan"; none of
    // that is a usable view parameter.
    const bool blankStart = text.empty() || std::isspace(static_cast<unsigned char>(text[0]));
    char* end = nullptr;
    const float value = blankStart ? 0.0f : std::strtof(text.c_str(), &end);
    if (blankStart || end == text.c_str() || *end != '\0') {
        *error = "invalid value " + shown(text) + " for " + name + ": expected a number";
        return false;
    }
    if (!std::isfinite(value)) {
        *error = "invalid value " + shown(text) + " for " + name + ": expected a finite number";
        return false;
    }
    *out = value;
    return true;
}

}  // namespace

OptionRule countOption(const char* name, const char* valueName, std::string help, int largest,
                       int* out) {
    return {name, valueName, std::move(help),
            [name, largest, out](const std::string& value, std::string* error) {
                return parseCount(name, value, 1, largest, out, error);
            }};
}

OptionRule rangeOption(const char* name, const char* valueName, std::string help, int smallest,
                       int largest, int* out) {
    return {name, valueName, std::move(help),
            [name, smallest, largest, out](const std::string& value, std::string* error) {
                return parseCount(name, value, smallest, largest, out, error);
            }};
}

OptionRule numberOption(const char* name, const char* valueName, std::string help, float* out) {
    return {name, valueName, std::move(help),
            [name, out](const std::string& value, std::string* error) {
                return parseFinite(name, value, out, error);
            }};
}

OptionRule fileOption(const char* name, std::string help, std::string* out) {
    return {name, "FILE", std::move(help),
            [name, out](const std::string& value, std::string* error) {
                if (value.empty()) {
                    *error = std::string(name) + " needs a file name, got an empty one";
                    return false;
                }
                *out = value;
                return true;
            }};
}

OptionRule flagOption(const char* name, std::string help, bool* out) {
    return {name, "", std::move(help), [out](const std::string&, std::string*) {
                *out = true;
                return true;
            }};
}

bool pickWord(const std::string& what, const std::vector<std::string>& words,
              const std::string& value, std::size_t* index, std::string* error) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (words[i] == value) {
            *index = i;
            return true;
        }
    }
    std::string expected;
    for (std::size_t i = 0; i < words.size(); ++i) {
        if (i > 0) expected += i + 1 == words.size() ? " or " : ", ";
        expected += shown(words[i]);
    }
    *error = "unknown " + what + " " + shown(value) + ": expected " + expected;
    return false;
}
