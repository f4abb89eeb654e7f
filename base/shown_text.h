#pragma once

#include <cstddef>
#include <string>

// Text from outside the program (a file name, an option, a display name, a
// line of a file, what a library said) made fit for a one-line message:
// printable UTF-8 is kept; everything that could break the line, act on the
// terminal or not be seen for what it is, is written as an escape:
// - backslash, newline, tab and carriage return as \\, \n, \t and \r;
// - other control characters and bytes that are not UTF-8 as \xNN;
// - characters that print as nothing or as a blank, or that turn the text
//   around (no-break and other spaces, zero-width characters, the byte order
//   mark, bidirectional controls, variation selectors, private use and
//   non-characters) as \u{NNNN}.
// With `longest` above zero, an escaped text longer than that many bytes is
// cut before the character that would pass it, and "..." added.
std::string escapedText(const std::string& text, std::size_t longest = 0);

// The escaped text in single quotes, for a value quoted in a message.
std::string shown(const std::string& value, std::size_t longest = 0);
