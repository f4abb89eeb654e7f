#pragma once

#include <string>

#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "tools/explain/pixel_explanation.h"
#include "view/view.h"

// The first sentences of a pixel's story: why each side shows what it
// shows there, and which step of the difference ladder settles the
// difference (the cause map's step at the pixel).
struct PixelWhy {
    std::string software;   // "Software: ..."
    std::string reference;  // "Reference: ..."
    std::string settled;    // "Settled by `sampling`." and the like

    std::string sentences() const { return software + " " + reference + " " + settled; }
};

// `rules`: the rules the software side was drawn with.
PixelWhy pixelWhy(const PixelExplanation& explanation, const ReferenceRules& rules);

// The cause map's step at pixel (x, y) of the default scene in this view:
// the ladder drawn at that pixel against the reference's bytes, or the
// reference model's where there is no reference. The ladder is drawn
// through `buffers`, which hold its last step's frame afterwards.
int settlingStepAt(const View& view, int width, int height, int x, int y,
                   const ReferencePixel* reference, FrameBuffers& buffers);

// "specified", the rule's name or "unexplained"; null (JSON) where no step
// and not the reference covers the pixel.
std::string settledByJson(int step);
