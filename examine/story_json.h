#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "raster/explain/pixel_story.h"
#include "raster/explain/reference_model.h"

// The software renderer's story as rasterwork-explain writes it in JSON, for
// the tool and for the browser page alike.

// The members "x", "y", "width", "height" and "software" (its "fragments",
// each with its span, depth test and, for one that passed, its colour and
// lighting terms; then the stored "color" [r, g, b, a], "depth" and
// "window_bytes" and "window_depth", 0..1; "nearest_spans", "centre_distance"
// and "vertex_stage", see PixelStory), without the enclosing braces, so that a caller can add
// members of its own.
std::string pixelStoryJsonMembers(const PixelStory& story);

// The reference model's side as one JSON object: "covered", "object",
// "face" (null, and nothing more, where no face reaches the screen), then
// "snapped_corners", "centre_distance", "triangle", "corners" (each with
// "index", "eye_position", "eye_normal", "color"), "screen_weights",
// "weights", "color", "window_bytes" and "step_difference" against
// referenceBytes (null when there are none).
std::string referenceModelJson(const ReferenceModel& model,
                               const std::array<std::uint8_t, 3>* referenceBytes);
