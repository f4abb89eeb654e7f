#include "web/page_colours.h"

#include <algorithm>
#include <cmath>

namespace web {

namespace {

constexpr Rgb kBlack = {0, 0, 0};
constexpr Rgb kWhite = {255, 255, 255};
constexpr int kLightnessLevels = 7;

Rgb mix(const Rgb& from, const Rgb& to, int part, int whole) {
    Rgb colour;
    for (int c = 0; c < 3; ++c) {
        colour[c] = static_cast<std::uint8_t>(from[c] + (to[c] - from[c]) * part / whole);
    }
    return colour;
}

}  // namespace

Rgb heatColour(int steps) {
    static constexpr Rgb kStops[] = {{0, 0, 0}, {180, 0, 0}, {255, 140, 0}, {255, 255, 170}};
    const int s = std::clamp(steps, 0, 255);
    const int segment = std::min(s / 85, 2);
    return mix(kStops[segment], kStops[segment + 1], s - segment * 85, 85);
}

DepthScale depthScale(const std::vector<float>& depths) {
    DepthScale scale;
    bool any = false;
    for (const float depth : depths) {
        if (!(depth < 1.0f)) continue;
        scale.nearest = any ? std::min(scale.nearest, depth) : depth;
        scale.farthest = any ? std::max(scale.farthest, depth) : depth;
        any = true;
    }
    return scale;
}

Rgb depthColour(float depth, const DepthScale& scale) {
    if (!(depth < 1.0f)) return kBlack;
    const float span = scale.farthest - scale.nearest;
    const float t = span > 0.0f ? (depth - scale.nearest) / span : 0.0f;
    const auto grey = static_cast<std::uint8_t>(std::lround(255.0f - t * (255.0f - kFarthestGrey)));
    return {grey, grey, grey};
}

Rgb faceColour(const Scene& scene, int object, int face) {
    if (object < 0 || face < 0 || static_cast<std::size_t>(object) >= scene.objects.size()) {
        return kWhite;
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

}  // namespace web
