#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "examine/ladder_causes.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/render_software.h"
#include "scene/scene.h"

// The difference ladder's pictures of one frame: the software picture as
// specified, then with the reference's rules switched on one by one in the
// ladder's order (the last step follows every rule: the reference model),
// each kept as coverage and window bytes per pixel.
class LadderPictures {
  public:
    // Draws the kLadderStepCount pictures of the scene (camera set up) with
    // the plain path, through `buffers`, which it sizes and clears for each
    // (std::bad_alloc when their memory cannot be had); they hold the last
    // step's frame afterwards.
    // Only the pixels of `kept` are kept when it is not empty (one pixel for
    // one story), and then only the faces that can change them are drawn,
    // on their rows alone, and only those rows cleared, which leaves them as
    // the whole scene draws them, and the buffers holding nothing of use; a
    // pixel is asked for by its index in the frame.
    LadderPictures(Scene& scene, FrameBuffers& buffers, int width, int height,
                   const PixelBounds& kept = PixelBounds{});

    bool covers(int step, std::size_t pixel) const { return covers_[step][kept(pixel)] != 0; }
    const std::uint8_t* bytes(int step, std::size_t pixel) const {
        return &bytes_[step][3 * kept(pixel)];
    }

  private:
    std::size_t kept(std::size_t pixel) const {
        const std::size_t x = pixel % width_ - static_cast<std::size_t>(kept_.firstColumn);
        const std::size_t y = pixel / width_ - static_cast<std::size_t>(kept_.firstRow);
        return y * static_cast<std::size_t>(kept_.lastColumn - kept_.firstColumn + 1) + x;
    }

    std::size_t width_;
    PixelBounds kept_;
    std::array<std::vector<std::uint8_t>, kLadderStepCount> covers_;
    std::array<std::vector<std::uint8_t>, kLadderStepCount> bytes_;
};

// The steps' window bytes differ from the target by at most this many steps
// in every channel to be within it, as the cause map takes them.
constexpr int kLadderTolerance = 1;

// The cause map's step at one pixel, against a target that covers it or not
// and shows these bytes there: the step from which on every step's picture
// stays within the target (0: the specified picture already is; k: the
// ladder's first k rules), kCauseUnexplained when even the last step is not,
// kCauseNotCovered when no step and not the target covers the pixel.
int settledBy(const LadderPictures& ladder, std::size_t pixel, bool targetCovers,
              const std::uint8_t* targetBytes, int tolerance = kLadderTolerance);
