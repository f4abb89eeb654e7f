#include "tools/snapshot/stage_pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

namespace {

constexpr RgbCanvas::Rgb kInk = {40, 40, 40};
constexpr RgbCanvas::Rgb kStrip = {235, 235, 235};
constexpr RgbCanvas::Rgb kUncovered = {0, 0, 0};
constexpr int kLightnessLevels = 7;

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

std::uint8_t greyFor(float depth, float nearest, float farthest) {
    const float span = farthest - nearest;
    const float t = span > 0.0f ? (depth - nearest) / span : 0.0f;
    return static_cast<std::uint8_t>(std::lround(255.0f - t * (255.0f - kFarthestGrey)));
}

}  // namespace

StageRecorder::StageRecorder(int width, int height)
    : width_(width),
      height_(height),
      counts_(pixelCount(width, height), 0),
      objects_(pixelCount(width, height), kNoObject),
      faces_(pixelCount(width, height), kNoObject) {}

ShadingTerms* StageRecorder::fragment(const Fragment& fragment) {
    const std::size_t i = static_cast<std::size_t>(fragment.row) * width_ + fragment.column;
    ++counts_[i];
    if (fragment.passed) {
        objects_[i] = fragment.object;
        faces_[i] = fragment.face;
    }
    return nullptr;
}

int stageLegendHeight(int width) {
    return (kGlyphHeight + 4) * textScale(width);
}

RgbCanvas depthPicture(const float* depths, int width, int height) {
    const auto stored = [](float depth) { return depth < 1.0f; };
    float nearest = 1.0f;
    float farthest = -1.0f;
    bool any = false;
    for (std::size_t i = 0; i < pixelCount(width, height); ++i) {
        if (!stored(depths[i])) continue;
        nearest = any ? std::min(nearest, depths[i]) : depths[i];
        farthest = any ? std::max(farthest, depths[i]) : depths[i];
        any = true;
    }
    RgbCanvas canvas = frameCanvas(width, height);
    paintFrame(canvas, width, height, [&](std::size_t i) {
        if (!stored(depths[i])) return kUncovered;
        const std::uint8_t grey = greyFor(depths[i], nearest, farthest);
        return RgbCanvas::Rgb{grey, grey, grey};
    });

    const int scale = textScale(width);
    const int top = legendTop(height, scale);
    if (!any) {
        drawText(canvas, 2 * scale, top, "NO DEPTH STORED", scale, kInk);
        return canvas;
    }
    // NEAR <value> [bar from bright to dark] FAR <value>
    int x = 2 * scale;
    const std::string nearText = "NEAR " + depthLabel(nearest);
    drawText(canvas, x, top, nearText, scale, kInk);
    x += textWidth(nearText, scale) + 3 * scale;
    const int bar = 24 * scale;
    for (int column = 0; column < bar; ++column) {
        const float t = static_cast<float>(column) / static_cast<float>(bar - 1);
        const std::uint8_t grey = greyFor(t, 0.0f, 1.0f);
        canvas.fill(x + column, top, 1, kGlyphHeight * scale, RgbCanvas::Rgb{grey, grey, grey});
    }
    x += bar + 3 * scale;
    drawText(canvas, x, top, "FAR " + depthLabel(farthest), scale, kInk);
    return canvas;
}

RgbCanvas::Rgb faceColour(const Scene& scene, int object, int face) {
    const Color& diffuse = scene.objects[static_cast<std::size_t>(object)].material.diffuse;
    const float largest = std::max({diffuse.r, diffuse.g, diffuse.b});
    const float hue[3] = {largest > 0.0f ? diffuse.r / largest : 1.0f,
                          largest > 0.0f ? diffuse.g / largest : 1.0f,
                          largest > 0.0f ? diffuse.b / largest : 1.0f};
    // Steps of 3 out of 7 levels: faces i, i + 1 and i + n (for any row
    // length n not a multiple of 7) land on different levels.
    const int level = (face % kLightnessLevels) * 3 % kLightnessLevels;
    const float lightness = 0.25f + 0.6f * static_cast<float>(level) / (kLightnessLevels - 1);
    RgbCanvas::Rgb colour;
    for (int c = 0; c < 3; ++c) {
        // Dark to the pure hue below one half, the hue to white above.
        const float value = lightness < 0.5f ? hue[c] * 2.0f * lightness
                                             : hue[c] + (1.0f - hue[c]) * (2.0f * lightness - 1.0f);
        colour[c] = static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    }
    return colour;
}

RgbCanvas facesPicture(const StageRecorder& stages, const Scene& scene) {
    const int width = stages.width();
    const int height = stages.height();
    RgbCanvas canvas = frameCanvas(width, height);
    const std::vector<std::int32_t>& objects = stages.winningObjects();
    const std::vector<std::int32_t>& faces = stages.winningFaces();
    paintFrame(canvas, width, height, [&](std::size_t i) {
        if (objects[i] == StageRecorder::kNoObject) return kNoFaceColour;
        return faceColour(scene, objects[i], faces[i]);
    });
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

RgbCanvas::Rgb fragmentCountColour(std::uint32_t count) {
    static constexpr RgbCanvas::Rgb kScale[kHottestCount + 1] = {
        {255, 255, 255}, {49, 54, 149},  {69, 117, 180}, {116, 173, 209}, {254, 224, 144},
        {253, 174, 97},  {244, 109, 67}, {215, 48, 39},  {165, 0, 38}};
    return kScale[std::min(count, kHottestCount)];
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
