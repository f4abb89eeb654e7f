// The clear of prepareFrameBuffers with the widest stores the processor
// offers: Highway's Fill, dispatched at run time.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/fill_ones.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/contrib/algo/copy-inl.h>
#include <hwy/highway.h>

#include "raster/fill_ones.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void FillOnes(float* values, std::size_t count) {
    hn::Fill(hn::ScalableTag<float>(), 1.0f, count, values);
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
