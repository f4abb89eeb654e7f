#pragma once

#include <cstdint>
#include <vector>

#include "raster/plain/fragment_observer.h"

// Counts the fragments at every pixel and remembers the face of the last one
// that passed, which is the face whose colour the pixel shows: what the
// faces and fragments pictures are drawn from.
class StageRecorder : public FragmentObserver {
  public:
    static constexpr std::int32_t kNoObject = -1;

    // Takes the memory for a width x height frame (std::bad_alloc if there is none).
    StageRecorder(int width, int height);

    ShadingTerms* fragment(const Fragment& fragment) override;

    int width() const { return width_; }
    int height() const { return height_; }
    // Pixel (x, y) at y * width + x, row 0 at the bottom.
    const std::vector<std::uint32_t>& fragmentCounts() const { return counts_; }
    const std::vector<std::int32_t>& winningObjects() const { return objects_; }
    const std::vector<std::int32_t>& winningFaces() const { return faces_; }

  private:
    int width_;
    int height_;
    std::vector<std::uint32_t> counts_;
    std::vector<std::int32_t> objects_;
    std::vector<std::int32_t> faces_;
};
