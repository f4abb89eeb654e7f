#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/fill_ones.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include "raster/fill_ones.h"

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void FillOnes(float* values, std::size_t count) {
    const hn::ScalableTag<float> df;
    const std::size_t lanes = hn::Lanes(df);
    const auto ones = hn::Set(df, 1.0f);
    std::size_t i = 0;
    for (; i + lanes <= count; i += lanes) hn::StoreU(ones, df, values + i);
    for (; i < count; ++i) values[i] = 1.0f;
}

}  // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
HWY_EXPORT(FillOnes);

void fillOnes(float* values, std::size_t count) {
    HWY_DYNAMIC_DISPATCH(FillOnes)(values, count);
}
#endif
