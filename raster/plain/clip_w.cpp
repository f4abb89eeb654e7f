#include "raster/plain/clip_w.h"

#include <cstddef>

namespace {

bool inFront(const ClipVertex& v) {
    return v.position.w > kMinClipW;
}

float lerp(float a, float b, double t) {
    return static_cast<float>(static_cast<double>(a) +
                              t * (static_cast<double>(b) - static_cast<double>(a)));
}

// The point where the side from a to b meets w = kMinClipW. Returns false when
// the side gives no usable crossing (a non-finite w).
bool crossing(const ClipVertex& a, const ClipVertex& b, ClipVertex& out) {
    const double wa = a.position.w;
    const double wb = b.position.w;
    const double t = (static_cast<double>(kMinClipW) - wa) / (wb - wa);
    if (!(t >= 0.0 && t <= 1.0)) return false;
    out.position.x = lerp(a.position.x, b.position.x, t);
    out.position.y = lerp(a.position.y, b.position.y, t);
    out.position.z = lerp(a.position.z, b.position.z, t);
    out.position.w = kMinClipW;
    out.normal.x = lerp(a.normal.x, b.normal.x, t);
    out.normal.y = lerp(a.normal.y, b.normal.y, t);
    out.normal.z = lerp(a.normal.z, b.normal.z, t);
    return true;
}

}  // namespace

void clipToMinW(const std::vector<ClipVertex>& outline, std::vector<ClipVertex>& clipped) {
    clipped.clear();
    const std::size_t n = outline.size();
    for (std::size_t i = 0; i < n; ++i) {
        const ClipVertex& previous = outline[i == 0 ? n - 1 : i - 1];
        const ClipVertex& current = outline[i];
        const bool previousInFront = inFront(previous);
        const bool currentInFront = inFront(current);
        ClipVertex cut;
        if (previousInFront != currentInFront && crossing(previous, current, cut)) {
            clipped.push_back(cut);
        }
        if (currentInFront) clipped.push_back(current);
    }
}
