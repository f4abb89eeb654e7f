#include "raster/explain/pixel_history.h"

#include "raster/explain/faces_reaching.h"
#include "raster/like_reference/render_like_reference.h"

ShadingTerms* PixelHistory::fragment(const Fragment& fragment) {
    if (fragment.column != column_ || fragment.row != row_) return nullptr;
    if (fragment.passed) {
        for (StoryFragment& earlier : fragments_) {
            if (earlier.fragment.passed) earlier.replaced = true;
        }
    }
    fragments_.push_back(StoryFragment{fragment, false, std::nullopt});
    if (!fragment.passed || !withTerms_) return nullptr;
    return &fragments_.back().terms.emplace();
}

bool drawWatchingPixel(Scene& scene, const FramePixel& q, const ReferenceRules& rules,
                       StoryFrame drawn, PixelHistory& history, FrameBuffers& buffers) {
    if (drawn == StoryFrame::Whole) {
        if (!prepareFrameBuffers(buffers, q.width, q.height)) return false;
        renderSoftwareLikeReference(scene, buffers.pixels(), q.width, q.height, rules, &history);
        return true;
    }
    if (!prepareFrameRow(buffers, q.width, q.height, q.y)) return false;
    // Only the faces that can change the pixel: a face's fragments on the
    // row and their depth tests left of the pixel decide it.
    Scene reaching = facesReaching(scene, q.width, q.height, rules, PixelBounds{0, q.y, q.x, q.y});
    renderSoftwareLikeReference(reaching, buffers.pixels(), q.width, q.height, rules, &history,
                                nullptr, FilledRows{q.y, q.y});
    return true;
}
