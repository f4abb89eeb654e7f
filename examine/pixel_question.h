#pragma once

#include <optional>

#include "raster/buffers/frame_buffers.h"
#include "raster/explain/pixel_story.h"
#include "raster/explain/reference_model.h"
#include "raster/like_reference/reference_rules.h"
#include "view/view.h"

// One pixel of the default scene seen from a view: the question
// rasterwork-explain and the page ask of the software renderer and of the
// reference model.
struct PixelQuestion {
    View view;
    int width = 480;
    int height = 480;
    ReferenceRules rules;  // the reference's rules the renderer follows; none by default
    int x = 0;             // column, 0 at the left
    int y = 0;             // row, 0 at the bottom as in the buffers

    FramePixel framePixel() const { return {width, height, rules, x, y}; }
};

// The software renderer's story of the pixel (tellPixelStory of the default
// scene with its camera set up for the view), the frame, or the pixel's row
// of it, left in `buffers`.
std::optional<PixelStory> tellPixelStory(const PixelQuestion& question, FrameBuffers& buffers,
                                         StoryFrame drawn = StoryFrame::Whole);

// The reference model's side of the pixel (modelReferencePixel of the same
// scene), drawn under every rule of the reference into `buffers`.
std::optional<ReferenceModel> modelReferencePixel(const PixelQuestion& question,
                                                  FrameBuffers& buffers,
                                                  StoryFrame drawn = StoryFrame::Whole);
