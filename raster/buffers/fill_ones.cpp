// The clear of prepareFrameBuffers with the widest stores the processor
// offers, four vectors per loop step, the rest through Highway's Fill;
// dispatched at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/buffers/fill_ones.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/algo/copy-inl.h>
#include <hwy/highway.h>

#include <cstddef>

#include "raster/buffers/fill_ones.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void FillOnes(float* values, std::size_t count) {
    const hn::ScalableTag<float> d;
    const std::size_t lanes = hn::Lanes(d);
    const auto one = hn::Set(d, 1.0f);
    std::size_t done = 0;
    for (; done + 4 * lanes <= count; done += 4 * lanes) {
        hn::StoreU(one, d, values + done);
        hn::StoreU(one, d, values + done + lanes);
        hn::StoreU(one, d, values + done + 2 * lanes);
        hn::StoreU(one, d, values + done + 3 * lanes);
    }
    hn::Fill(d, 1.0f, count - done, values + done);
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace rw {
HWY_EXPORT(FillOnes);

void fillOnes(float* values, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(FillOnes)(values, count);
}
}  // namespace rw
#endif
