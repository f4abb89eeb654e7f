#include "raster/explain/pixel_history.h"

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
