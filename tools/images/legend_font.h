#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// A 3 x 5 pixel font for the few upper-case words, digits and signs that the
// pictures' legends use.

constexpr int kGlyphWidth = 3;
constexpr int kGlyphHeight = 5;
constexpr int kGlyphAdvance = kGlyphWidth + 1;

// Packed 8-bit RGB picture, top row first, that text and boxes are drawn into.
struct RgbCanvas {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    using Rgb = std::array<std::uint8_t, 3>;
    // Pixels outside the canvas are left alone.
    void set(int x, int row, const Rgb& colour);
    void fill(int x, int row, int w, int h, const Rgb& colour);
};

// Draws text with each font pixel as a scale x scale square, its top-left
// corner at (x, row). Characters the font lacks are left blank.
void drawText(RgbCanvas& canvas, int x, int row, const std::string& text, int scale,
              const RgbCanvas::Rgb& colour);

// Width in pixels of text drawn at that scale.
int textWidth(const std::string& text, int scale);
