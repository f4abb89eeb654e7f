#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "raster/buffers/frame_buffers.h"
#include "raster/explain/pixel_story.h"
#include "raster/explain/reference_model.h"
#include "raster/like_reference/reference_rules.h"
#include "view/view.h"

// What the real reference (OpenGL) drew at one pixel, for a caller that
// could draw it.
struct ReferencePixel {
    std::array<std::uint8_t, 3> windowBytes{};
    float windowDepth = 1.0f;  // 0 near to 1 far, 1 where nothing was drawn
    int object = -1;           // the object OpenGL drew there, -1 for none
};

// The first sentences of a pixel's story: why each side shows what it
// shows there, and which step of the difference ladder settles the
// difference (the cause map's step at the pixel).
struct PixelWhy {
    std::string software;   // "Software: ..."
    std::string reference;  // "Reference: ..."
    std::string settled;    // "Settled by `sampling`." and the like

    std::string sentences() const { return software + " " + reference + " " + settled; }
};

// The sentences from the software side's story, the real reference's pixel
// and the reference model's side (either null when not had; without the
// real reference the model speaks for it) and the settling step
// (settlingStepAt). `rules`: the rules the software side was drawn with.
PixelWhy pixelWhy(const PixelStory& software, const ReferencePixel* reference,
                  const ReferenceModel* model, int settledBy, const ReferenceRules& rules);

// The cause map's step at pixel (x, y) of the default scene in this view:
// the ladder drawn at that pixel against the reference's bytes, or the
// reference model's where there is no reference. The ladder is drawn
// through `buffers`, which it leaves holding nothing of use.
int settlingStepAt(const View& view, int width, int height, int x, int y,
                   const ReferencePixel* reference, FrameBuffers& buffers);

// "specified", the rule's name or "unexplained"; null (JSON) where no step
// and not the reference covers the pixel.
std::string settledByJson(int step);
