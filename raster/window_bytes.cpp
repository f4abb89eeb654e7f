// windowByte and, for whole rows of colours, the same conversion on SIMD
// lanes (ConvertToBgra): the same clamp, product and rounding per channel,
// so every target gives windowByte's bytes.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/window_bytes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <cstring>

#include "raster/window_bytes.h"

#if HWY_ONCE
std::uint8_t windowByte(float value) {
    value = value > 0.0f ? value : 0.0f;
    value = value < 1.0f ? value : 1.0f;
    // Adding 2^23 rounds the product to a whole number (ties to even), which
    // then stands in the low bits of the sum.
    const float shifted = value * 255.0f + 8388608.0f;
    std::uint32_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    return static_cast<std::uint8_t>(bits & 0xffu);
}
#endif

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

void ConvertToBgra(const Color* colors, std::size_t count, std::uint8_t* bgra) {
    const hn::ScalableTag<float> df;
    const hn::RebindToUnsigned<decltype(df)> du;
    const hn::RebindToSigned<decltype(df)> di;
    const hn::Rebind<std::uint8_t, decltype(di)> d8;
    const std::size_t lanes = hn::Lanes(df);
    std::size_t done = 0;
    if (lanes >= 4) {
        // Lane 4k + c holds channel c of a colour; B, G, R, A take it from
        // channels 2, 1, 0 and 3.
        HWY_ALIGN std::int32_t order[HWY_LANES(float)];
        for (std::size_t i = 0; i < lanes; ++i)
            order[i] = static_cast<std::int32_t>(i - i % 4 + (i % 4 == 3 ? 3 : 2 - i % 4));
        const auto swap = hn::SetTableIndices(du, order);
        const auto alpha = hn::Eq(hn::And(hn::Iota(du, 0), hn::Set(du, 3u)), hn::Set(du, 3u));
        const auto zero = hn::Zero(df);
        const auto one = hn::Set(df, 1.0f);
        const float* in = &colors[0].r;
        const std::size_t pixelsPerVector = lanes / 4;
        for (; done + pixelsPerVector <= count; done += pixelsPerVector) {
            auto v = hn::LoadU(df, in + 4 * done);
            v = hn::IfThenElse(hn::Gt(v, zero), v, zero);
            v = hn::IfThenElse(hn::Lt(v, one), v, one);
            v = hn::Add(hn::Mul(v, hn::Set(df, 255.0f)), hn::Set(df, 8388608.0f));
            auto bytes = hn::And(hn::BitCast(du, v), hn::Set(du, 0xffu));
            bytes = hn::IfThenElse(alpha, hn::Set(du, 255u), hn::TableLookupLanes(bytes, swap));
            hn::StoreU(hn::DemoteTo(d8, hn::BitCast(di, bytes)), d8, bgra + 4 * done);
        }
    }
    for (; done < count; ++done) {
        const Color& c = colors[done];
        std::uint8_t* out = bgra + 4 * done;
        out[0] = windowByte(c.b);
        out[1] = windowByte(c.g);
        out[2] = windowByte(c.r);
        out[3] = 255;
    }
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace rw {
HWY_EXPORT(ConvertToBgra);

void convertToBgra(const Color* colors, std::size_t count, std::uint8_t* bgra) {
    HWY_DYNAMIC_DISPATCH(ConvertToBgra)(colors, count, bgra);
}
}  // namespace rw
#endif
