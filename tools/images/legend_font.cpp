#include "tools/images/legend_font.h"

#include <cstring>

namespace {

struct Glyph {
    char character;
    const char* rows[kGlyphHeight];
};

constexpr Glyph kGlyphs[] = {
    {'0', {"###", "#.#", "#.#", "#.#", "###"}}, {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'2', {"##.", "..#", ".#.", "#..", "###"}}, {'3', {"##.", "..#", ".#.", "..#", "##."}},
    {'4', {"#.#", "#.#", "###", "..#", "..#"}}, {'5', {"###", "#..", "##.", "..#", "##."}},
    {'6', {".##", "#..", "###", "#.#", "###"}}, {'7', {"###", "..#", ".#.", ".#.", ".#."}},
    {'8', {"###", "#.#", "###", "#.#", "###"}}, {'9', {"###", "#.#", "###", "..#", "##."}},
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}}, {'C', {".##", "#..", "#..", "#..", ".##"}},
    {'D', {"##.", "#.#", "#.#", "#.#", "##."}}, {'E', {"###", "#..", "##.", "#..", "###"}},
    {'F', {"###", "#..", "##.", "#..", "#.."}}, {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'L', {"#..", "#..", "#..", "#..", "###"}}, {'N', {"##.", "#.#", "#.#", "#.#", "#.#"}},
    {'O', {".#.", "#.#", "#.#", "#.#", ".#."}}, {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}}, {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}}, {'W', {"#.#", "#.#", "###", "###", "#.#"}},
    {'Y', {"#.#", "#.#", ".#.", ".#.", ".#."}}, {'B', {"##.", "#.#", "##.", "#.#", "##."}},
    {'G', {".##", "#..", "#.#", "#.#", ".##"}}, {'H', {"#.#", "#.#", "###", "#.#", "#.#"}},
    {'K', {"#.#", "#.#", "##.", "#.#", "#.#"}}, {'M', {"#.#", "###", "###", "#.#", "#.#"}},
    {'U', {"#.#", "#.#", "#.#", "#.#", "###"}}, {'V', {"#.#", "#.#", "#.#", "#.#", ".#."}},
    {'X', {"#.#", "#.#", ".#.", "#.#", "#.#"}}, {'.', {"...", "...", "...", "...", ".#."}},
    {'-', {"...", "...", "###", "...", "..."}}, {'+', {"...", ".#.", "###", ".#.", "..."}},
    {'%', {"#.#", "..#", ".#.", "#..", "#.#"}}, {':', {"...", ".#.", "...", ".#.", "..."}},
};

const Glyph* glyphFor(char character) {
    for (const Glyph& glyph : kGlyphs) {
        if (glyph.character == character) return &glyph;
    }
    return nullptr;
}

}  // namespace

void RgbCanvas::set(int x, int row, const Rgb& colour) {
    if (x < 0 || row < 0 || x >= width || row >= height) return;
    std::memcpy(&rgb[(static_cast<std::size_t>(row) * width + x) * 3], colour.data(), 3);
}

void RgbCanvas::fill(int x, int row, int w, int h, const Rgb& colour) {
    for (int r = row; r < row + h; ++r) {
        for (int c = x; c < x + w; ++c) set(c, r, colour);
    }
}

void drawText(RgbCanvas& canvas, int x, int row, const std::string& text, int scale,
              const RgbCanvas::Rgb& colour) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const Glyph* glyph = glyphFor(text[i]);
        if (!glyph) continue;
        const int left = x + static_cast<int>(i) * kGlyphAdvance * scale;
        for (int gy = 0; gy < kGlyphHeight; ++gy) {
            for (int gx = 0; gx < kGlyphWidth; ++gx) {
                if (glyph->rows[gy][gx] != '#') continue;
                canvas.fill(left + gx * scale, row + gy * scale, scale, scale, colour);
            }
        }
    }
}

int textWidth(const std::string& text, int scale) {
    if (text.empty()) return 0;
    return (static_cast<int>(text.size()) * kGlyphAdvance - 1) * scale;
}
