#include "tools/common/shown_text.h"

#include <cstdio>

namespace {

void appendByteEscape(unsigned char byte, std::string* out) {
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", byte);
    *out += code;
}

// Length of the UTF-8 sequence starting at text[i] that is printable (no
// C1 control, no overlong form, no surrogate), or 0.
std::size_t printableSequence(const std::string& text, std::size_t i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t length = 0;
    unsigned long codePoint = 0;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
        codePoint = lead & 0x1fu;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        codePoint = lead & 0x0fu;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        codePoint = lead & 0x07u;
    } else {
        return 0;
    }
    if (i + length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xc0u) != 0x80u) return 0;
        codePoint = (codePoint << 6) | (byte(i + k) & 0x3fu);
    }
    const unsigned long smallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (codePoint < smallest[length] || codePoint > 0x10ffff) return 0;
    if (codePoint >= 0xd800 && codePoint <= 0xdfff) return 0;
    if (codePoint <= 0x9f) return 0;  // C1 controls
    return length;
}

}  // namespace

std::string shown(const std::string& value) {
    std::string out = "'";
    for (std::size_t i = 0; i < value.size();) {
        const unsigned char c = static_cast<unsigned char>(value[i]);
        if (c == '\\') {
            out += "\\\\";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c >= 0x20 && c < 0x7f) {
            out += static_cast<char>(c);
        } else if (c < 0x80) {
            appendByteEscape(c, &out);
        } else if (const std::size_t length = printableSequence(value, i)) {
            out.append(value, i, length);
            i += length;
            continue;
        } else {
            appendByteEscape(c, &out);
        }
        ++i;
    }
    return out + "'";
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
