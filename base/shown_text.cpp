#include "base/shown_text.h"

#include <cstdio>

namespace {

void appendByteEscape(unsigned char byte, std::string* out) {
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", byte);
    *out += code;
}

void appendCodePointEscape(unsigned long codePoint, std::string* out) {
    char code[12];
    std::snprintf(code, sizeof code, "\\u{%lx}", codePoint);
    *out += code;
}

// Code points that show as nothing or as a blank, or that reorder the text
// around them, inclusive ranges.
constexpr struct {
    unsigned long first, last;
} kHidden[] = {
    {0x00a0, 0x00a0},   {0x00ad, 0x00ad},   {0x034f, 0x034f},    {0x061c, 0x061c}, {0x115f, 0x1160},
    {0x1680, 0x1680},   {0x17b4, 0x17b5},   {0x180b, 0x180f},    {0x2000, 0x200f}, {0x2028, 0x202f},
    {0x205f, 0x206f},   {0x2800, 0x2800},   {0x3000, 0x3000},    {0x3164, 0x3164}, {0xe000, 0xf8ff},
    {0xfdd0, 0xfdef},   {0xfe00, 0xfe0f},   {0xfeff, 0xfeff},    {0xffa0, 0xffa0}, {0xfff0, 0xfffb},
    {0x1d173, 0x1d17a}, {0xe0000, 0xe0fff}, {0xf0000, 0x10ffff},
};

bool hidden(unsigned long codePoint) {
    if ((codePoint & 0xfffe) == 0xfffe) return true;  // U+FFFE, U+FFFF in every plane
    for (const auto& range : kHidden) {
        if (codePoint >= range.first && codePoint <= range.last) return true;
    }
    return false;
}

// The well-formed UTF-8 sequence of a character past the C1 controls at
// text[i]: its length and code point, or length 0.
std::size_t utf8Sequence(const std::string& text, std::size_t i, unsigned long* codePoint) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned long value = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        value = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        value = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        value = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0u) != 0x80u) return 0;
        value = (value << 6) | (byte(i + k) & 0x3fu);
    }
    const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (value < smallest[length] || value > 0x10ffff) return 0;
    if (value >= 0xd800 && value <= 0xdfff) return 0;  // surrogates
    if (value <= 0x9f) return 0;                       // C1 controls
    *codePoint = value;
    return length;
}

// The escaped form of the character at text[i] appended to *out; returns
// how many bytes it took.
std::size_t appendEscaped(const std::string& text, std::size_t i, std::string* out) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\\') {
        *out += "\\\\";
    } else if (c == '\n') {
        *out += "\\n";
    } else if (c == '\t') {
        *out += "\\t";
    } else if (c == '\r') {
        *out += "\\r";
    } else if (c >= 0x20 && c < 0x7f) {
        *out += static_cast<char>(c);
    } else {
        unsigned long codePoint = 0;
        const std::size_t length = c >= 0x80 ? utf8Sequence(text, i, &codePoint) : 0;
        if (length == 0) {
            appendByteEscape(c, out);
            return 1;
        }
        if (hidden(codePoint)) {
            appendCodePointEscape(codePoint, out);
        } else {
            out->append(text, i, length);
        }
        return length;
    }
    return 1;
}

// The escaped text, stopped before the character that would take it past
// `longest` bytes (0: no limit); sets *cut when it stopped.
std::string escapedUpTo(const std::string& text, std::size_t longest, bool* cut) {
    std::string out;
    std::string piece;
    for (std::size_t i = 0; i < text.size();) {
        piece.clear();
        const std::size_t taken = appendEscaped(text, i, &piece);
        if (longest > 0 && out.size() + piece.size() > longest) {
            *cut = true;
            break;
        }
        out += piece;
        i += taken;
    }
    return out;
}

}  // namespace

std::string escapedText(const std::string& text, std::size_t longest) {
    bool cut = false;
    const std::string out = escapedUpTo(text, longest, &cut);
    return cut ? out + "..." : out;
}

std::string shown(const std::string& value, std::size_t longest) {
    return "'" + escapedText(value, longest) + "'";
}
