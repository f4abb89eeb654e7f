#include "tools/images/comparison_panels.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr RgbCanvas::Rgb kFrame = {150, 150, 150};

constexpr int kLineUnits = kGlyphHeight + 2;
constexpr int kBarUnitsWide = 64;

// Covered by one renderer only, or by both and off by more than the
// tolerance in some channel.
bool pixelDiffers(const RendererPicture& software, const RendererPicture& reference, std::size_t i,
                  int tolerance) {
    const bool inSoftware = software.covered(i);
    if (inSoftware != reference.covered(i)) return true;
    if (!inSoftware) return false;
    for (int c = 0; c < 3; ++c) {
        if (std::abs(software.rgb[3 * i + c] - reference.rgb[3 * i + c]) > tolerance) return true;
    }
    return false;
}

int panelLeft(int panel, int width) {
    return panel * (width + kPanelGap);
}

void copyPanel(RgbCanvas& canvas, int panel, const std::vector<std::uint8_t>& rgb, int width,
               int height) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t left = static_cast<std::size_t>(panelLeft(panel, panelColumnWidth(width)));
    for (int row = 0; row < height; ++row) {
        std::memcpy(&canvas.rgb[(static_cast<std::size_t>(row) * canvas.width + left) * 3],
                    &rgb[row * rowBytes], rowBytes);
    }
}

// The step difference, with one decimal where it is not whole, that the
// heat scale shows at `heat` (0..255) when steps are multiplied by amplify.
std::string stepLabel(int heat, int amplify) {
    char text[32];
    if (heat % amplify == 0) {
        std::snprintf(text, sizeof text, "%d", heat / amplify);
    } else {
        std::snprintf(text, sizeof text, "%.1f", static_cast<double>(heat) / amplify);
    }
    return text;
}

}  // namespace

void drawLegend(RgbCanvas& canvas, int left, int top, int scale, int amplify) {
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
    // A ring around a dark pixel, as on the map.
    canvas.fill(x, y, kGlyphHeight * unit, kGlyphHeight * unit, kRing);
    canvas.fill(x + unit, y + unit, 3 * unit, 3 * unit, kNeitherCovers);
    canvas.fill(x + 2 * unit, y + 2 * unit, unit, unit, kInk);
    drawText(canvas, x + (kGlyphHeight + 2) * unit, y, "LONE DIFFERING", scale, kInk);
    y += kLineUnits * unit;
    const int factor = std::max(amplify, 1);
    drawText(canvas, x, y,
             factor == 1 ? std::string("STEP DIFFERENCE") : "STEPS TIMES " + std::to_string(factor),
             scale, kInk);
    y += kLineUnits * unit;
    const int barWidth = kBarUnitsWide * unit;
    for (int column = 0; column < barWidth; ++column) {
        canvas.fill(x + column, y, 1, 4 * unit, heatColour(column * 255 / (barWidth - 1)));
    }
    y += 6 * unit;
    const std::string middle = stepLabel(128, factor);
    // Past the right end the scale is clamped: more steps show the same.
    const std::string right = stepLabel(255, factor) + (factor > 1 ? "+" : "");
    drawText(canvas, x, y, "0", scale, kInk);
    drawText(canvas, x + (barWidth - textWidth(middle, scale)) / 2, y, middle, scale, kInk);
    drawText(canvas, x + barWidth - textWidth(right, scale), y, right, scale, kInk);
}

void ringLonePixels(std::vector<std::uint8_t>& rgb, int width, int height,
                    const std::vector<bool>& marked) {
    const auto markedAt = [&](int x, int row) {
        return x >= 0 && x < width && row >= 0 && row < height &&
               marked[static_cast<std::size_t>(row) * width + x];
    };
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            if (!markedAt(x, row)) continue;
            bool lone = true;
            for (int dy = 1 - kRingRadius; lone && dy < kRingRadius; ++dy) {
                for (int dx = 1 - kRingRadius; lone && dx < kRingRadius; ++dx) {
                    if ((dx != 0 || dy != 0) && markedAt(x + dx, row + dy)) lone = false;
                }
            }
            if (!lone) continue;
            for (int dy = -kRingRadius; dy <= kRingRadius; ++dy) {
                for (int dx = -kRingRadius; dx <= kRingRadius; ++dx) {
                    const int rx = x + dx, ry = row + dy;
                    const bool onRing = std::max(std::abs(dx), std::abs(dy)) == kRingRadius;
                    if (!onRing || rx < 0 || rx >= width || ry < 0 || ry >= height) continue;
                    if (markedAt(rx, ry)) continue;
                    std::memcpy(&rgb[3 * (static_cast<std::size_t>(ry) * width + rx)], kRing.data(),
                                3);
                }
            }
        }
    }
}

std::vector<std::uint8_t> differenceMap(const RendererPicture& software,
                                        const RendererPicture& reference, const MapStyle& style) {
    const int width = software.width;
    const int height = software.height;
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> map(pixels * 3);
    std::vector<bool> differs(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const RgbCanvas::Rgb colour = differenceColour(software, reference, i, style.amplify);
        std::memcpy(&map[3 * i], colour.data(), 3);
        differs[i] = pixelDiffers(software, reference, i, style.tolerance);
    }
    ringLonePixels(map, width, height, differs);
    return map;
}

int legendScale(int width) {
    return std::clamp(width / (kLegendUnitsWide + 4), 1, 2);
}

int panelColumnWidth(int width) {
    return std::max(width, (kLegendUnitsWide + 4) * legendScale(width));
}

RgbCanvas composeComparisonPanels(const RendererPicture& software, const RendererPicture& reference,
                                  const MapStyle& style) {
    const int width = software.width;
    const int height = software.height;
    const int scale = legendScale(width);
    const int column = panelColumnWidth(width);
    RgbCanvas canvas;
    canvas.width = 3 * column + 2 * kPanelGap;
    const int stripTop = height + kPanelGap;
    canvas.height = stripTop + (kLegendUnitsHigh + 4) * scale;
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 0);
    canvas.fill(0, 0, canvas.width, stripTop, kGapColour);
    canvas.fill(0, stripTop, canvas.width, canvas.height - stripTop, kNeitherCovers);
    copyPanel(canvas, 0, software.rgb, width, height);
    copyPanel(canvas, 1, reference.rgb, width, height);
    copyPanel(canvas, 2, differenceMap(software, reference, style), width, height);
    const int top = stripTop + 2 * scale;
    drawText(canvas, panelLeft(0, column) + 2 * scale, top, "SOFTWARE", scale, kInk);
    drawText(canvas, panelLeft(1, column) + 2 * scale, top, "REFERENCE", scale, kInk);
    drawLegend(canvas, panelLeft(2, column) + 2 * scale, top, scale, style.amplify);
    return canvas;
}
