#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "math/vec.h"
#include "raster/explain/pixel_story.h"
#include "scene/color.h"

// The reference's side of one pixel, worked out by the model that
// renderSoftwareLikeReference draws with under every rule (--like-reference
// all): the face drawn there, its corners lit in eye space, the fan triangle
// that holds the pixel centre, the weights and the colour they mix.

struct ModelCorner {
    int index = 0;         // in the face's outline (after any clipping)
    Vec3 eyePosition;      // where the corner was lit, in eye space
    Vec3 eyeNormal;        // its normal in eye space, as the lighting used it
    Color color;           // lit at the corner, each channel clamped to [0, 1]
    double screenX = 0.0;  // on the screen, before snapping
    double screenY = 0.0;
};

struct ReferenceModel {
    // Whether a face of the model covers the pixel centre. When none does,
    // the rest describes the face whose outline lies nearest to the centre
    // (object and face -1 when no face reaches the screen at all).
    bool covered = false;
    int object = -1;
    int face = -1;
    // The face's outline on the 1/256-pixel grid, in outline order (x, y).
    std::vector<std::array<double, 2>> snappedCorners;
    // Signed distance in pixels of the pixel centre from the nearest side of
    // that outline: positive inside, negative outside.
    double centreDistance = 0.0;
    std::array<int, 3> triangle{};       // the fan triangle's corners
    std::array<ModelCorner, 3> corners;  // and what they hold
    std::array<double, 3> screenWeights{};
    std::array<double, 3> weights{};  // perspective-correct (with 1/w): what the colour mixes with
    // The interpolated colour the model stores; where it does not cover the
    // pixel, the background there (the weights then lie outside the
    // triangle and mix nothing).
    Color color;
    std::array<std::uint8_t, 3> windowBytes{};  // that colour as the window shows it
};

// Draws `scene` in the frame's size under every rule of the reference (the
// frame's own rules do not matter), into `buffers` (the whole frame, or only
// the pixel's row: the same answer, see StoryFrame), and works out the
// reference model's side of the pixel. Empty when the pixel lies outside the
// frame or there is no memory for the frame.
std::optional<ReferenceModel> modelReferencePixel(Scene& scene, const FramePixel& pixel,
                                                  FrameBuffers& buffers,
                                                  StoryFrame drawn = StoryFrame::Whole);
