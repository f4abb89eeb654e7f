#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "examine/renderer_comparison.h"
#include "scene/scene.h"

// Every colour scale the tools' pictures and the page's panels are drawn
// with, so that a panel on the page reads like the tool's file.

using Rgb = std::array<std::uint8_t, 3>;

// The difference map: white where neither renderer covers a pixel, the
// covering one's colour where only one does, else heatColour of the largest
// channel difference in 8-bit steps.
constexpr Rgb kNeitherCovers = {255, 255, 255};
constexpr Rgb kSoftwareOnly = {0, 110, 255};
constexpr Rgb kReferenceOnly = {0, 170, 0};

// Black at 0 through red and orange to pale yellow at 255; clamped.
Rgb heatColour(int steps);

// The difference map's colour of pixel i (an index into both pictures),
// its step difference multiplied by `amplify`.
Rgb differenceColour(const RendererPicture& software, const RendererPicture& reference,
                     std::size_t i, int amplify = 1);
// The same from whether each picture covers the pixel and its three bytes
// in each.
Rgb differenceColour(bool inSoftware, bool inReference, const std::uint8_t* softwareRgb,
                     const std::uint8_t* referenceRgb, int amplify = 1);

// The covered depths' range (normalised-device z below 1.0), for the depth
// picture; nearest above farthest when nothing is covered.
struct DepthScale {
    float nearest = 1.0f;
    float farthest = -1.0f;
};
DepthScale depthScale(const float* depths, std::size_t count);

// The grey of a depth, the scale's nearest brightest (255) and its farthest
// darkest (kFarthestGrey); depthColour is that grey where a depth was
// stored, black where none was (1.0 or above, or NaN).
constexpr int kFarthestGrey = 48;
std::uint8_t depthGrey(float depth, const DepthScale& scale);
Rgb depthColour(float depth, const DepthScale& scale);

// A face's colour: the hue of its object's diffuse colour at one of
// kLightnessLevels lightnesses chosen by the face index, so that
// neighbouring faces of a tessellated grid differ; kNoFaceColour for no face
// (a negative index, or an object the scene does not have).
constexpr int kLightnessLevels = 7;
constexpr Rgb kNoFaceColour = {255, 255, 255};
Rgb faceColour(const Scene& scene, int object, int face);

// White for no fragment, then one colour per count from 1 (dark blue) to
// kHottestCount and above (dark red).
constexpr std::uint32_t kHottestCount = 8;
Rgb fragmentCountColour(std::uint32_t count);

// The cause map's colour of a cause (see ladder_causes.h): black for the
// specified picture, a distinct colour per rule and for unexplained; white
// for kCauseNotCovered.
Rgb causeColour(int cause);
