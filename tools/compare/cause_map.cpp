#include "tools/compare/cause_map.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "examine/colour_scales.h"
#include "tools/images/comparison_panels.h"

namespace {

constexpr int kLineUnits = kGlyphHeight + 2;
constexpr const char* kRingLabel = "LONE UNEXPLAINED";

// The ladder's name of a cause: "specified", "+ sampling", ..., "unexplained".
std::string stepName(int cause) {
    const bool rule = cause > 0 && cause <= kReferenceRuleCount;
    return (rule ? "+ " : "") + causeName(cause);
}

std::string legendLine(int cause, long count) {
    std::string line = stepName(cause) + " " + std::to_string(count);
    for (char& c : line) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return line;
}

}  // namespace

RgbCanvas composeCauseMap(const std::vector<std::int8_t>& causes, int width, int height,
                          const std::array<long, kCauseCount>& counts) {
    // The legend in font units: a swatch, a space and the longest line.
    int textUnits = textWidth(kRingLabel, 1);
    for (int cause = 0; cause < kCauseCount; ++cause) {
        textUnits = std::max(textUnits, textWidth(legendLine(cause, counts[cause]), 1));
    }
    const int legendUnitsWide = 2 + kGlyphHeight + 2 + textUnits + 2;
    const int legendUnitsHigh = 2 + (kCauseCount + 1) * kLineUnits;
    const int scale = width >= 2 * legendUnitsWide ? 2 : 1;

    RgbCanvas canvas;
    canvas.width = std::max(width, legendUnitsWide * scale);
    const int stripTop = height + kPanelGap;
    canvas.height = stripTop + legendUnitsHigh * scale;
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 255);
    canvas.fill(0, height, canvas.width, kPanelGap, kGapColour);
    const std::size_t pixels = causes.size();
    std::vector<std::uint8_t> map(pixels * 3);
    std::vector<bool> unexplained(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const std::array<std::uint8_t, 3> colour = causeColour(causes[i]);
        std::memcpy(&map[3 * i], colour.data(), 3);
        unexplained[i] = causes[i] == kCauseUnexplained;
    }
    ringLonePixels(map, width, height, unexplained);
    for (int row = 0; row < height; ++row) {
        std::memcpy(&canvas.rgb[static_cast<std::size_t>(row) * canvas.width * 3],
                    &map[static_cast<std::size_t>(row) * width * 3],
                    static_cast<std::size_t>(width) * 3);
    }
    const int x = 2 * scale;
    int y = stripTop + 2 * scale;
    for (int cause = 0; cause < kCauseCount; ++cause) {
        // A frame around each swatch, so that black and white ones show.
        canvas.fill(x, y, kGlyphHeight * scale, kGlyphHeight * scale, kInk);
        canvas.fill(x + scale / 2 + 1, y + scale / 2 + 1,
                    kGlyphHeight * scale - 2 * (scale / 2 + 1),
                    kGlyphHeight * scale - 2 * (scale / 2 + 1), causeColour(cause));
        drawText(canvas, x + (kGlyphHeight + 2) * scale, y, legendLine(cause, counts[cause]), scale,
                 kInk);
        y += kLineUnits * scale;
    }
    canvas.fill(x, y, kGlyphHeight * scale, kGlyphHeight * scale, kRing);
    canvas.fill(x + scale, y + scale, 3 * scale, 3 * scale, kNeitherCovers);
    canvas.fill(x + 2 * scale, y + 2 * scale, scale, scale, causeColour(kCauseUnexplained));
    drawText(canvas, x + (kGlyphHeight + 2) * scale, y, kRingLabel, scale, kInk);
    return canvas;
}

std::string causesText(const std::array<long, kCauseCount>& counts) {
    std::string text =
        "causes: pixels per first step from which on the software picture stays within\n"
        "the tolerance of the reference\n";
    for (int cause = 0; cause < kCauseCount; ++cause) {
        char line[96];
        std::snprintf(line, sizeof line, "%-16s %ld\n", stepName(cause).c_str(), counts[cause]);
        text += line;
    }
    return text;
}

std::string causesJsonMember(const std::array<long, kCauseCount>& counts) {
    std::string text = "\"causes\": {";
    for (int cause = 0; cause < kCauseCount; ++cause) {
        if (cause > 0) text += ", ";
        text += "\"" + causeName(cause) + "\": " + std::to_string(counts[cause]);
    }
    return text + "}";
}
