#include "examine/colour_scales.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "examine/ladder_causes.h"

namespace {

Rgb mix(const Rgb& from, const Rgb& to, int part, int whole) {
    Rgb colour;
    for (int c = 0; c < 3; ++c) {
        colour[c] = static_cast<std::uint8_t>(from[c] + (to[c] - from[c]) * part / whole);
    }
    return colour;
}

}  // namespace

Rgb heatColour(int steps) {
    // A map asks for one of these 256 colours at every pixel: worked out once.
    static const std::array<Rgb, 256> kScale = [] {
        static constexpr Rgb kStops[] = {{0, 0, 0}, {180, 0, 0}, {255, 140, 0}, {255, 255, 170}};
        std::array<Rgb, 256> scale;
        for (int s = 0; s < 256; ++s) {
            const int segment = std::min(s / 85, 2);
            scale[s] = mix(kStops[segment], kStops[segment + 1], s - segment * 85, 85);
        }
        return scale;
    }();
    return kScale[std::clamp(steps, 0, 255)];
}

Rgb differenceColour(const RendererPicture& software, const RendererPicture& reference,
                     std::size_t i, int amplify) {
    return differenceColour(software.covered(i), reference.covered(i), &software.rgb[3 * i],
                            &reference.rgb[3 * i], amplify);
}

Rgb differenceColour(bool inSoftware, bool inReference, const std::uint8_t* softwareRgb,
                     const std::uint8_t* referenceRgb, int amplify) {
    if (!inSoftware && !inReference) return kNeitherCovers;
    if (!inReference) return kSoftwareOnly;
    if (!inSoftware) return kReferenceOnly;
    int largest = 0;
    for (int c = 0; c < 3; ++c) {
        largest = std::max(largest, std::abs(softwareRgb[c] - referenceRgb[c]));
    }
    // In int: 255 steps times 255 is far from overflowing.
    return heatColour(largest * std::max(amplify, 1));
}

DepthScale depthScale(const float* depths, std::size_t count) {
    DepthScale scale;
    bool any = false;
    for (std::size_t i = 0; i < count; ++i) {
        const float depth = depths[i];
        if (!(depth < 1.0f)) continue;
        scale.nearest = any ? std::min(scale.nearest, depth) : depth;
        scale.farthest = any ? std::max(scale.farthest, depth) : depth;
        any = true;
    }
    return scale;
}

std::uint8_t depthGrey(float depth, const DepthScale& scale) {
    const float span = scale.farthest - scale.nearest;
    const float t = span > 0.0f ? (depth - scale.nearest) / span : 0.0f;
    return static_cast<std::uint8_t>(std::lround(255.0f - t * (255.0f - kFarthestGrey)));
}

Rgb depthColour(float depth, const DepthScale& scale) {
    if (!(depth < 1.0f)) return {0, 0, 0};
    const std::uint8_t grey = depthGrey(depth, scale);
    return {grey, grey, grey};
}

Rgb faceColour(const Scene& scene, int object, int face) {
    if (object < 0 || face < 0 || static_cast<std::size_t>(object) >= scene.objects.size()) {
        return kNoFaceColour;
    }
    const Color& diffuse = scene.objects[static_cast<std::size_t>(object)].material.diffuse;
    const float largest = std::max({diffuse.r, diffuse.g, diffuse.b});
    const float hue[3] = {largest > 0.0f ? diffuse.r / largest : 1.0f,
                          largest > 0.0f ? diffuse.g / largest : 1.0f,
                          largest > 0.0f ? diffuse.b / largest : 1.0f};
    // Steps of 3 out of 7 levels: faces i, i + 1 and i + n (for any row
    // length n not a multiple of 7) land on different levels.
    const int level = (face % kLightnessLevels) * 3 % kLightnessLevels;
    const float lightness = 0.25f + 0.6f * static_cast<float>(level) / (kLightnessLevels - 1);
    Rgb colour;
    for (int c = 0; c < 3; ++c) {
        // Dark to the pure hue below one half, the hue to white above.
        const float value = lightness < 0.5f ? hue[c] * 2.0f * lightness
                                             : hue[c] + (1.0f - hue[c]) * (2.0f * lightness - 1.0f);
        colour[c] = static_cast<std::uint8_t>(std::lround(std::clamp(value, 0.0f, 1.0f) * 255.0f));
    }
    return colour;
}

Rgb fragmentCountColour(std::uint32_t count) {
    static constexpr Rgb kScale[kHottestCount + 1] = {
        {255, 255, 255}, {49, 54, 149},  {69, 117, 180}, {116, 173, 209}, {254, 224, 144},
        {253, 174, 97},  {244, 109, 67}, {215, 48, 39},  {165, 0, 38}};
    return kScale[std::min(count, kHottestCount)];
}

Rgb causeColour(int cause) {
    // Black for the specified picture, then one distinct colour per rule,
    // and a cyan that none of them is near for what no rule explains.
    static constexpr Rgb kColours[kCauseCount] = {
        {0, 0, 0},       {31, 119, 180}, {255, 127, 14},  {44, 160, 44},  {214, 39, 40},
        {148, 103, 189}, {140, 86, 75},  {227, 119, 194}, {188, 189, 34}, {23, 190, 207}};
    if (cause < 0 || cause >= kCauseCount) return {255, 255, 255};
    return kColours[cause];
}
