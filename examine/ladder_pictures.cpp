#include "examine/ladder_pictures.h"

#include <new>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/like_reference/render_like_reference.h"

LadderPictures::LadderPictures(Scene& scene, FrameBuffers& buffers, int width, int height,
                               const PixelBounds& kept)
    : width_(static_cast<std::size_t>(width)),
      kept_(kept.empty() ? PixelBounds{0, 0, width - 1, height - 1} : kept) {
    for (int step = 0; step < kLadderStepCount; ++step) {
        if (!prepareFrameBuffers(buffers, width, height)) throw std::bad_alloc();
        renderSoftwareLikeReference(scene, buffers.pixels(), width, height,
                                    firstReferenceRules(step));
        std::vector<std::uint8_t>& covers = covers_[step];
        std::vector<std::uint8_t>& bytes = bytes_[step];
        for (int y = kept_.firstRow; y <= kept_.lastRow; ++y) {
            for (int x = kept_.firstColumn; x <= kept_.lastColumn; ++x) {
                const std::size_t i = static_cast<std::size_t>(y) * width_ + x;
                covers.push_back(buffers.depth[i] < 1.0f);
                const Color& c = buffers.color[i];
                bytes.insert(bytes.end(), {windowByte(c.r), windowByte(c.g), windowByte(c.b)});
            }
        }
    }
}

// From the last step down: the lowest step from which on none differs.
int settledBy(const LadderPictures& ladder, std::size_t pixel, bool targetCovers,
              const std::uint8_t* targetBytes, int tolerance) {
    int from = kLadderStepCount;
    bool anyWithin = false;
    while (from > 0) {
        const int step = from - 1;
        const StepMatch match = matchPixel(ladder.covers(step, pixel), ladder.bytes(step, pixel),
                                           targetCovers, targetBytes, tolerance);
        if (match == StepMatch::Differs) break;
        anyWithin = anyWithin || match == StepMatch::Within;
        from = step;
    }
    if (from == kLadderStepCount) return kCauseUnexplained;
    if (from == 0 && !anyWithin) return kCauseNotCovered;
    return from;
}
