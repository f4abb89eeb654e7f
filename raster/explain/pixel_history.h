#pragma once

#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/explain/pixel_story.h"
#include "raster/plain/fragment_observer.h"

// Collects the fragments at one pixel while the plain path draws, with the
// lighting terms of those that pass when `withTerms` asks for them.
class PixelHistory : public FragmentObserver {
  public:
    PixelHistory(int column, int row, bool withTerms)
        : column_(column), row_(row), withTerms_(withTerms) {}

    ShadingTerms* fragment(const Fragment& fragment) override;

    // The fragments in draw order, each passed one marked when a later one
    // replaced it.
    const std::vector<StoryFragment>& fragments() const { return fragments_; }

  private:
    int column_;
    int row_;
    bool withTerms_;
    std::vector<StoryFragment> fragments_;
};

// Draws `scene` in the pixel's frame under `rules` into `buffers`, `history`
// watching: the whole frame or only the pixel's row with the faces that can
// change the pixel (see StoryFrame). False, with nothing
// drawn, when there is no memory for the buffers.
bool drawWatchingPixel(Scene& scene, const FramePixel& pixel, const ReferenceRules& rules,
                       StoryFrame drawn, PixelHistory& history, FrameBuffers& buffers);
