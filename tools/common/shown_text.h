#pragma once

#include <string>

// A value the user gave (a file name, an option, a number), ready to be put
// into a one-line message: in single quotes, with control characters, bytes
// that are not UTF-8 and backslashes written as escapes (\n, \t, \x1b, \\),
// so nothing in it can break the line or act on the terminal.
std::string shown(const std::string& value);

// A string for JSON: in double quotes, with quotes, backslashes and control
// characters escaped.
std::string jsonText(const std::string& text);
