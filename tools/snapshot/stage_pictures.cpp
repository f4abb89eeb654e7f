#include "tools/snapshot/stage_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr RgbCanvas::Rgb kInk = {40, 40, 40};
constexpr RgbCanvas::Rgb kStrip = {235, 235, 235};

int textScale(int width) {
    return width >= 320 ? 2 : 1;
}

std::size_t pixelCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// A canvas of the frame plus the legend strip, the strip already filled.
RgbCanvas frameCanvas(int width, int height) {
    RgbCanvas canvas;
    canvas.width = width;
    canvas.height = height + stageLegendHeight(width);
    canvas.rgb.assign(pixelCount(canvas.width, canvas.height) * 3, 0);
    canvas.fill(0, height, width, canvas.height - height, kStrip);
    return canvas;
}

// Calls paint(x, y, i) for every pixel, with y counted from the bottom as in
// the buffers, and sets the canvas pixel to its result.
template <typename Paint>
void paintFrame(RgbCanvas& canvas, int width, int height, Paint paint) {
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            canvas.set(x, height - 1 - y, paint(i));
        }
    }
}

// Legend text starts here: one margin below the picture.
int legendTop(int height, int scale) {
    return height + 2 * scale;
}

std::string depthLabel(float depth) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6f", static_cast<double>(depth));
    return text;
}

}  // namespace

int stageLegendHeight(int width) {
    return (kGlyphHeight + 4) * textScale(width);
}

RgbCanvas depthPicture(const float* depths, int width, int height) {
    const DepthScale range = depthScale(depths, pixelCount(width, height));
    const bool any = range.nearest <= range.farthest;
    RgbCanvas canvas = frameCanvas(width, height);
    paintFrame(canvas, width, height, [&](std::size_t i) { return depthColour(depths[i], range); });

    const int scale = textScale(width);
    const int top = legendTop(height, scale);
    if (!any) {
        drawText(canvas, 2 * scale, top, "NO DEPTH STORED", scale, kInk);
        return canvas;
    }
    // NEAR <value> [bar from bright to dark] FAR <value>
    int x = 2 * scale;
    const std::string nearText = "NEAR " + depthLabel(range.nearest);
    drawText(canvas, x, top, nearText, scale, kInk);
    x += textWidth(nearText, scale) + 3 * scale;
    const int bar = 24 * scale;
    for (int column = 0; column < bar; ++column) {
        const float t = static_cast<float>(column) / static_cast<float>(bar - 1);
        const std::uint8_t grey = depthGrey(t, DepthScale{0.0f, 1.0f});
        canvas.fill(x + column, top, 1, kGlyphHeight * scale, RgbCanvas::Rgb{grey, grey, grey});
    }
    x += bar + 3 * scale;
    drawText(canvas, x, top, "FAR " + depthLabel(range.farthest), scale, kInk);
    return canvas;
}

RgbCanvas facesPicture(const StageRecorder& stages, const Scene& scene) {
    const int width = stages.width();
    const int height = stages.height();
    RgbCanvas canvas = frameCanvas(width, height);
    const std::vector<std::int32_t>& objects = stages.winningObjects();
    const std::vector<std::int32_t>& faces = stages.winningFaces();
    paintFrame(canvas, width, height,
               [&](std::size_t i) { return faceColour(scene, objects[i], faces[i]); });
    const int scale = textScale(width);
    int x = 2 * scale;
    const int top = legendTop(height, scale);
    for (std::size_t object = 0; object < scene.objects.size(); ++object) {
        for (int level = 0; level < kLightnessLevels; ++level) {
            // Faces 0, 5, 3, 1, 6, 4, 2 run through the levels in order.
            const int face = level * 5 % kLightnessLevels;
            canvas.fill(x, top, 2 * scale, kGlyphHeight * scale,
                        faceColour(scene, static_cast<int>(object), face));
            x += 2 * scale;
        }
        x += 3 * scale;
    }
    drawText(canvas, x, top, "ONE COLOUR PER FACE", scale, kInk);
    return canvas;
}

RgbCanvas fragmentsPicture(const StageRecorder& stages) {
    const int width = stages.width();
    const int height = stages.height();
    RgbCanvas canvas = frameCanvas(width, height);
    const std::vector<std::uint32_t>& counts = stages.fragmentCounts();
    paintFrame(canvas, width, height,
               [&](std::size_t i) { return fragmentCountColour(counts[i]); });
    const int scale = textScale(width);
    int x = 2 * scale;
    const int top = legendTop(height, scale);
    drawText(canvas, x, top, "FRAGMENTS", scale, kInk);
    x += textWidth("FRAGMENTS", scale) + 3 * scale;
    for (std::uint32_t count = 1; count <= kHottestCount; ++count) {
        canvas.fill(x, top, kGlyphHeight * scale, kGlyphHeight * scale, fragmentCountColour(count));
        x += (kGlyphHeight + 1) * scale;
        const std::string label = std::to_string(count) + (count == kHottestCount ? "+" : "");
        drawText(canvas, x, top, label, scale, kInk);
        x += textWidth(label, scale) + 3 * scale;
    }
    return canvas;
}
