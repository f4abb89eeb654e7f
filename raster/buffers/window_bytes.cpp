// windowByte's conversion for whole rows of colours on SIMD lanes
// (ConvertToBgra): the same clamp, product and rounding per channel, so
// every target gives windowByte's bytes.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/buffers/window_bytes.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <array>
#include <cstring>

#include "raster/buffers/window_bytes.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// One colour's channels clamped, scaled and rounded as windowByte does it:
// each lane's byte then stands in the low byte of its float's bits.
template <class DF, class V>
HWY_INLINE V roundedChannels(DF df, V v) {
    const auto zero = hn::Zero(df);
    const auto one = hn::Set(df, 1.0f);
#if HWY_ARCH_X86 && HWY_TARGET != HWY_SCALAR && HWY_TARGET != HWY_EMU128
    // x86's maxps(a, b) is a > b ? a : b and minps(a, b) a < b ? a : b, NaN
    // and signed zeros included: windowByte's two selections, one
    // instruction each.
    v = hn::Max(v, zero);
    v = hn::Min(v, one);
#else
    v = hn::IfThenElse(hn::Gt(v, zero), v, zero);
    v = hn::IfThenElse(hn::Lt(v, one), v, one);
#endif
    return hn::Add(hn::Mul(v, hn::Set(df, 255.0f)), hn::Set(df, 8388608.0f));
}

void ConvertToBgra(const Color* colors, std::size_t count, std::uint8_t* bgra) {
    std::size_t done = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::ScalableTag<float> df;
    const hn::RebindToUnsigned<decltype(df)> du;
    const hn::RebindToSigned<decltype(df)> di;
    const hn::Rebind<std::uint8_t, decltype(di)> d8;
    const std::size_t lanes = hn::Lanes(df);
    const float* in = &colors[0].r;
    if (lanes >= 4) {
        // Every 128-bit block of a vector holds one colour. Of four vectors,
        // the k-th one's colour goes to bytes 4k .. 4k + 3 of its block as
        // B, G, R and 0 (a byte shuffle within the block); the four are
        // OR-ed, so each block holds four colours, which a permutation of
        // 32-bit lanes puts back in order; then alpha is set to 255.
        const hn::Repartition<std::uint8_t, decltype(df)> dbytes;
        constexpr std::uint8_t z = 0x80;  // a zero byte
        HWY_ALIGN static constexpr std::uint8_t kPick[4][16] = {
            {8, 4, 0, z, z, z, z, z, z, z, z, z, z, z, z, z},
            {z, z, z, z, 8, 4, 0, z, z, z, z, z, z, z, z, z},
            {z, z, z, z, z, z, z, z, 8, 4, 0, z, z, z, z, z},
            {z, z, z, z, z, z, z, z, z, z, z, z, 8, 4, 0, z},
        };
        const auto pick0 = hn::LoadDup128(dbytes, kPick[0]);
        const auto pick1 = hn::LoadDup128(dbytes, kPick[1]);
        const auto pick2 = hn::LoadDup128(dbytes, kPick[2]);
        const auto pick3 = hn::LoadDup128(dbytes, kPick[3]);
        const std::size_t blocks = lanes / 4;
        HWY_ALIGN std::int32_t inOrder[HWY_LANES(float)];
        for (std::size_t m = 0; m < lanes; ++m)
            inOrder[m] = static_cast<std::int32_t>((m % blocks) * 4 + m / blocks);
        const auto order = hn::SetTableIndices(du, inOrder);
        const auto alpha = hn::Set(du, 0xff000000u);
        const auto pickChannels = [&](const float* from, decltype(pick0) pick) {
            const auto v = roundedChannels(df, hn::LoadU(df, from));
            return hn::TableLookupBytesOr0(hn::BitCast(dbytes, v), pick);
        };
        for (; done + lanes <= count; done += lanes) {
            const float* from = in + 4 * done;
            const auto packed =
                hn::Or(hn::Or(pickChannels(from, pick0), pickChannels(from + lanes, pick1)),
                       hn::Or(pickChannels(from + 2 * lanes, pick2),
                              pickChannels(from + 3 * lanes, pick3)));
            auto pixels = hn::BitCast(du, packed);
            if (blocks > 1) pixels = hn::TableLookupLanes(pixels, order);
            hn::StoreU(hn::BitCast(dbytes, hn::Or(pixels, alpha)), dbytes, bgra + 4 * done);
        }

        // Lane 4k + c holds channel c of a colour; B, G, R, A take it from
        // channels 2, 1, 0 and 3.
        HWY_ALIGN std::int32_t swapped[HWY_LANES(float)];
        for (std::size_t i = 0; i < lanes; ++i)
            swapped[i] = static_cast<std::int32_t>(i - i % 4 + (i % 4 == 3 ? 3 : 2 - i % 4));
        const auto swap = hn::SetTableIndices(du, swapped);
        const auto alphaLanes = hn::Eq(hn::And(hn::Iota(du, 0), hn::Set(du, 3u)), hn::Set(du, 3u));
        for (; done + blocks <= count; done += blocks) {
            const auto v = roundedChannels(df, hn::LoadU(df, in + 4 * done));
            auto bytes = hn::And(hn::BitCast(du, v), hn::Set(du, 0xffu));
            bytes =
                hn::IfThenElse(alphaLanes, hn::Set(du, 255u), hn::TableLookupLanes(bytes, swap));
            hn::StoreU(hn::DemoteTo(d8, hn::BitCast(di, bytes)), d8, bgra + 4 * done);
        }
    }
#endif
    for (; done < count; ++done) {
        const Color& c = colors[done];
        std::uint8_t* out = bgra + 4 * done;
        out[0] = windowByte(c.b);
        out[1] = windowByte(c.g);
        out[2] = windowByte(c.r);
        out[3] = 255;
    }
}

// windowPixels (window_bytes.h): four pixels at a time where there are
// four lanes, each pixel's channels through roundedChannels, the rest and
// the depths one by one. The four colours' channels are transposed and put
// together by shifts, not by byte lookups, which Highway's WebAssembly
// target runs one byte at a time.
void WindowPixels(const Color* colors, const float* depths, std::size_t count, std::uint8_t* rgba,
                  std::uint8_t* rgb, double* windowDepth) {
    const std::array<std::uint8_t, 3> clearedBytes = windowBytesOf(Color(1.0f, 1.0f, 1.0f, 1.0f));
    std::size_t done = 0;
#if HWY_TARGET != HWY_SCALAR
    const hn::FixedTag<float, 4> df;
    const hn::RebindToUnsigned<decltype(df)> du;
    const hn::Repartition<std::uint64_t, decltype(df)> d64;
    const hn::Repartition<std::uint8_t, decltype(df)> d8;
    const auto lowByte = hn::Set(du, 0xffu);
    const auto opaque = hn::Set(du, 0xff000000u);
    const auto cleared = hn::Set(du, 0xffffffffu);  // clearedBytes and alpha 255
    const auto one = hn::Set(df, 1.0f);
    const float* in = &colors[0].r;
    for (; done + 4 <= count; done += 4) {
        const float* from = in + 4 * done;
        const auto channels = [&](int k) {
            return hn::BitCast(du, roundedChannels(df, hn::LoadU(df, from + 4 * k)));
        };
        const auto c0 = channels(0), c1 = channels(1), c2 = channels(2), c3 = channels(3);
        const auto rg01 = hn::BitCast(d64, hn::InterleaveLower(du, c0, c1));  // r0 r1 g0 g1
        const auto rg23 = hn::BitCast(d64, hn::InterleaveLower(du, c2, c3));
        const auto ba01 = hn::BitCast(d64, hn::InterleaveUpper(du, c0, c1));  // b0 b1 a0 a1
        const auto ba23 = hn::BitCast(d64, hn::InterleaveUpper(du, c2, c3));
        const auto reds = hn::And(hn::BitCast(du, hn::InterleaveLower(d64, rg01, rg23)), lowByte);
        const auto greens = hn::And(hn::BitCast(du, hn::InterleaveUpper(d64, rg01, rg23)), lowByte);
        const auto blues = hn::And(hn::BitCast(du, hn::InterleaveLower(d64, ba01, ba23)), lowByte);
        // R, G, B, A in memory order: the lanes are little-endian.
        const auto bytes = hn::Or(hn::Or(reds, hn::ShiftLeft<8>(greens)),
                                  hn::Or(hn::ShiftLeft<16>(blues), opaque));
        const auto covered = hn::RebindMask(du, hn::Lt(hn::LoadU(df, depths + done), one));
        const auto pixels = hn::BitCast(d8, hn::IfThenElse(covered, bytes, cleared));
        hn::StoreU(pixels, d8, rgba + 4 * done);
        HWY_ALIGN std::uint8_t stored[16];
        hn::Store(pixels, d8, stored);
        for (int k = 0; k < 4; ++k) std::memcpy(rgb + 3 * (done + k), stored + 4 * k, 3);
    }
#endif
    for (; done < count; ++done) {
        const std::array<std::uint8_t, 3> pixel =
            depths[done] < 1.0f ? windowBytesOf(colors[done]) : clearedBytes;
        const std::uint8_t bytes[4] = {pixel[0], pixel[1], pixel[2], 255};
        std::memcpy(rgba + 4 * done, bytes, 4);
        std::memcpy(rgb + 3 * done, bytes, 3);
    }
    const double clearedDepth = windowDepthOf(1.0f);
    for (std::size_t i = 0; i < count; ++i) {
        windowDepth[i] = depths[i] < 1.0f ? windowDepthOf(depths[i]) : clearedDepth;
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

HWY_EXPORT(WindowPixels);

void windowPixels(const Color* colors, const float* depths, std::size_t count, std::uint8_t* rgba,
                  std::uint8_t* rgb, double* windowDepth) {
    HWY_DYNAMIC_DISPATCH(WindowPixels)(colors, depths, count, rgba, rgb, windowDepth);
}
}  // namespace rw
#endif
