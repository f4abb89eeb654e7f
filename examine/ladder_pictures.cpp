#include "examine/ladder_pictures.h"

#include <new>
#include <optional>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/faces_reaching.h"
#include "raster/like_reference/render_like_reference.h"

namespace {

// Readies the buffers for a step: sized and cleared whole for every step of
// the whole frame's ladder; for a ladder kept to some pixels, which fills
// only their rows, sized and cleared on those rows alone: what a step draws
// on a row depends on nothing but that row's depths, so whatever the other
// rows hold changes nothing in the kept ones.
bool readyForStep(FrameBuffers& buffers, int width, int height, const PixelBounds& kept) {
    if (kept.empty()) return prepareFrameBuffers(buffers, width, height);
    if (!sizeFrameBuffers(buffers, width, height)) return false;
    buffers.written.unknown = true;  // the step before drew without noting it
    for (int row = kept.firstRow; row <= kept.lastRow; ++row) clearWrittenRow(buffers, row);
    return true;
}

}  // namespace

LadderPictures::LadderPictures(Scene& scene, FrameBuffers& buffers, int width, int height,
                               const PixelBounds& kept)
    : width_(static_cast<std::size_t>(width)),
      kept_(kept.empty() ? PixelBounds{0, 0, width - 1, height - 1} : kept) {
    // The faces that can change the kept pixels, and the rules they were
    // found under; the same for every step whose rules cover the same pixels.
    Scene reaching;
    std::optional<ReferenceRules> reachingUnder;
    for (int step = 0; step < kLadderStepCount; ++step) {
        if (!readyForStep(buffers, width, height, kept)) throw std::bad_alloc();
        const ReferenceRules rules = firstReferenceRules(step);
        if (kept.empty()) {
            renderSoftwareLikeReference(scene, buffers.pixels(), width, height, rules);
        } else {
            if (!reachingUnder || !reachingUnder->sameCoverage(rules)) {
                reaching = facesReaching(scene, width, height, rules, kept_);
                reachingUnder = rules;
            }
            renderSoftwareLikeReference(reaching, buffers.pixels(), width, height, rules, nullptr,
                                        nullptr, FilledRows{kept_.firstRow, kept_.lastRow});
            buffers.written.unknown = true;
        }
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
