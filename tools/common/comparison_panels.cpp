#include "tools/common/comparison_panels.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr RgbCanvas::Rgb kFrame = {150, 150, 150};

constexpr int kLineUnits = kGlyphHeight + 2;
constexpr int kBarUnitsWide = 64;

RgbCanvas::Rgb mix(const RgbCanvas::Rgb& from, const RgbCanvas::Rgb& to, int part, int whole) {
    RgbCanvas::Rgb colour;
    for (int c = 0; c < 3; ++c) {
        colour[c] = static_cast<std::uint8_t>(from[c] + (to[c] - from[c]) * part / whole);
    }
    return colour;
}

int panelLeft(int panel, int width) {
    return panel * (width + kPanelGap);
}

void copyPanel(RgbCanvas& canvas, int panel, const std::vector<std::uint8_t>& rgb, int width,
               int height) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t left = static_cast<std::size_t>(panelLeft(panel, width));
    for (int row = 0; row < height; ++row) {
        std::memcpy(&canvas.rgb[(static_cast<std::size_t>(row) * canvas.width + left) * 3],
                    &rgb[row * rowBytes], rowBytes);
    }
}

}  // namespace

void drawLegend(RgbCanvas& canvas, int left, int top, int scale) {
    const int unit = scale;
    canvas.fill(left, top, kLegendUnitsWide * unit, kLegendUnitsHigh * unit, kFrame);
    canvas.fill(left + unit, top + unit, (kLegendUnitsWide - 2) * unit,
                (kLegendUnitsHigh - 2) * unit, kNeitherCovers);
    const int x = left + 3 * unit;
    int y = top + 3 * unit;
    const struct {
        const RgbCanvas::Rgb* colour;
        const char* label;
    } swatches[] = {{&kSoftwareOnly, "SOFTWARE ONLY"}, {&kReferenceOnly, "REFERENCE ONLY"}};
    for (const auto& swatch : swatches) {
        canvas.fill(x, y, kGlyphHeight * unit, kGlyphHeight * unit, *swatch.colour);
        drawText(canvas, x + (kGlyphHeight + 2) * unit, y, swatch.label, scale, kInk);
        y += kLineUnits * unit;
    }
    drawText(canvas, x, y, "STEP DIFFERENCE", scale, kInk);
    y += kLineUnits * unit;
    const int barWidth = kBarUnitsWide * unit;
    for (int column = 0; column < barWidth; ++column) {
        canvas.fill(x + column, y, 1, 4 * unit, heatColour(column * 255 / (barWidth - 1)));
    }
    y += 6 * unit;
    drawText(canvas, x, y, "0", scale, kInk);
    drawText(canvas, x + (barWidth - textWidth("128", scale)) / 2, y, "128", scale, kInk);
    drawText(canvas, x + barWidth - textWidth("255", scale), y, "255", scale, kInk);
}

RgbCanvas::Rgb differenceColour(const RendererPicture& software, const RendererPicture& reference,
                                std::size_t i) {
    const bool inSoftware = software.covered(i);
    const bool inReference = reference.covered(i);
    if (!inSoftware && !inReference) return kNeitherCovers;
    if (!inReference) return kSoftwareOnly;
    if (!inSoftware) return kReferenceOnly;
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
        largest = std::max(largest, std::abs(software.rgb[3 * i + c] - reference.rgb[3 * i + c]));
    }
    return heatColour(largest);
}

RgbCanvas::Rgb heatColour(int steps) {
    static constexpr RgbCanvas::Rgb kStops[] = {
        {0, 0, 0}, {180, 0, 0}, {255, 140, 0}, {255, 255, 170}};
    const int s = std::clamp(steps, 0, 255);
    const int segment = std::min(s / 85, 2);
    return mix(kStops[segment], kStops[segment + 1], s - segment * 85, 85);
}

int legendScale(int width) {
    return std::min(2, width / (kLegendUnitsWide + 4));
}

RgbCanvas composeComparisonPanels(const RendererPicture& software,
                                  const RendererPicture& reference) {
    const int width = software.width;
    const int height = software.height;
    const int scale = legendScale(width);
    RgbCanvas canvas;
    canvas.width = 3 * width + 2 * kPanelGap;
    const int stripTop = height + kPanelGap;
    canvas.height = scale > 0 ? stripTop + (kLegendUnitsHigh + 4) * scale : height;
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 0);
    canvas.fill(0, 0, canvas.width, std::min(stripTop, canvas.height), kGapColour);
    canvas.fill(0, stripTop, canvas.width, canvas.height - stripTop, kNeitherCovers);
    copyPanel(canvas, 0, software.rgb, width, height);
    copyPanel(canvas, 1, reference.rgb, width, height);
    const int mapLeft = panelLeft(2, width);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(row) * width + x;
            canvas.set(mapLeft + x, row, differenceColour(software, reference, i));
        }
    }
    if (scale > 0) {
        const int top = stripTop + 2 * scale;
        drawText(canvas, panelLeft(0, width) + 2 * scale, top, "SOFTWARE", scale, kInk);
        drawText(canvas, panelLeft(1, width) + 2 * scale, top, "REFERENCE", scale, kInk);
        drawLegend(canvas, mapLeft + 2 * scale, top, scale);
    }
    return canvas;
}
