#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/plain/fragment_observer.h"
#include "web/page_colours.h"

namespace web {

// Counts the fragments at every pixel and keeps the object and face of the
// last one that passed, the one whose colour the pixel shows.
class StageCounter : public FragmentObserver {
  public:
    StageCounter(int width, std::vector<std::uint32_t>& counts, std::vector<std::int32_t>& objects,
                 std::vector<std::int32_t>& faces)
        : width_(static_cast<std::size_t>(width)),
          counts_(counts),
          objects_(objects),
          faces_(faces) {}

    ShadingTerms* fragment(const Fragment& fragment) override {
        const std::size_t i = static_cast<std::size_t>(fragment.row) * width_ +
                              static_cast<std::size_t>(fragment.column);
        ++counts_[i];
        if (fragment.passed) {
            objects_[i] = fragment.object;
            faces_[i] = fragment.face;
        }
        return nullptr;
    }

  private:
    std::size_t width_;
    std::vector<std::uint32_t>& counts_;
    std::vector<std::int32_t>& objects_;
    std::vector<std::int32_t>& faces_;
};

// Fills `rgba` (top row first) with paint(i) of each pixel i (row 0 at the
// bottom) of a width x height picture.
template <typename Paint>
void paintPanel(std::vector<std::uint8_t>& rgba, int width, int height, Paint paint) {
    const std::size_t w = static_cast<std::size_t>(width);
    rgba.resize(w * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        std::uint8_t* out = &rgba[static_cast<std::size_t>(height - 1 - y) * w * 4];
        const std::size_t rowStart = static_cast<std::size_t>(y) * w;
        for (std::size_t x = 0; x < w; ++x, out += 4) {
            const Rgb rgb = paint(rowStart + x);
            out[0] = rgb[0];
            out[1] = rgb[1];
            out[2] = rgb[2];
            out[3] = 255;
        }
    }
}

}  // namespace web
