#include "raster/explain/ladder_pictures.h"

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/like_reference/render_like_reference.h"

LadderPictures::LadderPictures(Scene& scene, int width, int height) {
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (int step = 0; step < kLadderStepCount; ++step) {
        prepareFrameBuffers(width, height);
        renderSoftwareLikeReference(scene, width, height, firstReferenceRules(step));
        covers_[step].resize(pixels);
        bytes_[step].resize(3 * pixels);
        for (std::size_t i = 0; i < pixels; ++i) {
            covers_[step][i] = depthBuffer[i] < 1.0f;
            const Color& c = colorBuffer[i];
            bytes_[step][3 * i] = windowByte(c.r);
            bytes_[step][3 * i + 1] = windowByte(c.g);
            bytes_[step][3 * i + 2] = windowByte(c.b);
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
