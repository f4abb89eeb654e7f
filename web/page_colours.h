#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "scene/scene.h"

// The colours of the page's pictures. They are the scales the command-line
// tools draw with (the comparison's difference map, the snapshot tool's stage
// pictures), so a picture on the page reads like the tool's file. The cause
// map's colours are the compare tool's too: causeColour in
// raster/explain/ladder_causes.h.

namespace web {

using Rgb = std::array<std::uint8_t, 3>;

// The difference map: white where neither picture covers a pixel, the
// covering one's colour where only one does, else heatColour of the largest
// channel difference.
constexpr Rgb kNeitherCovers = {255, 255, 255};
constexpr Rgb kSoftwareOnly = {0, 110, 255};
constexpr Rgb kModelOnly = {0, 170, 0};

// Black at 0 steps through red and orange to pale yellow at 255.
Rgb heatColour(int steps);

// The covered depths' range, for the depth picture.
struct DepthScale {
    float nearest = 1.0f;
    float farthest = -1.0f;
};
DepthScale depthScale(const std::vector<float>& depths);

// Grey where a depth was stored, the nearest brightest (255) and the farthest
// darkest (kFarthestGrey); black where none was (1.0 or above, or NaN).
constexpr int kFarthestGrey = 48;
Rgb depthColour(float depth, const DepthScale& scale);

// A face's colour: its object's hue at one of seven lightnesses chosen by
// the face index, so neighbouring faces differ; white for no face (-1).
Rgb faceColour(const Scene& scene, int object, int face);

// White for no fragment, then dark blue for 1 up to dark red for
// kHottestCount and more.
constexpr std::uint32_t kHottestCount = 8;
Rgb fragmentCountColour(std::uint32_t count);

}  // namespace web
