#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "examine/pixel_why.h"
#include "gl/surface/gl_platform.h"
#include "raster/explain/pixel_story.h"
#include "raster/explain/reference_model.h"

// Everything both renderers did at one pixel, and how the results compare.

struct PixelExplanation {
    PixelStory software;  // the pixel, its frame and the software renderer's story
    std::optional<ReferencePixel> reference;
    std::optional<ReferenceModel> model;  // the reference model's side of the pixel
    std::string referenceMissing;         // why there is no reference, when there is none
    int settledBy = -1;                   // the cause map's step at the pixel (see pixel_why.h)
    std::string why;                      // the sentences the story begins with
};

// "both", "software_only", "reference_only" or "neither"; the explanation
// must hold a reference. A renderer covers the pixel where its depth is
// below 1.0.
std::string coverage(const PixelExplanation& explanation);

// |software - reference| of each window byte.
std::array<int, 3> stepDifference(const PixelStory& software, const ReferencePixel& reference);

// The explanation for people, several lines; `gl` is the OpenGL that drew
// the reference, when there is one.
std::string explanationText(const PixelExplanation& explanation, const GlImplementation& gl);

// The explanation as one JSON object on one line (keys in the usage text).
// Floats are written with nine significant digits, which read back to the
// same 32-bit value; infinities and NaN are written as null.
std::string explanationJson(const PixelExplanation& explanation, const GlImplementation& gl);
