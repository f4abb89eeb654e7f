// The scalar arithmetic of the plain path, one pixel per SIMD lane, with the
// same operations in the same order and precision, so every target gives the
// bits of the scalar code:
//   normalizeInPlace   normalized (shade_pixel.cpp)
//   dot3               dot3 (math/vec.h): float products, z + y + x in double
//   transform          Matrix4::transform (math/matrix4.cpp): double products
//                      summed left to right, rounded to float once
//   dehomogenized      dehomogenized (lighting_constants.h)
// Included once per SIMD target (Highway's foreach_target), hence the guard.
#if defined(RASTER_LANE_MATH_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RASTER_LANE_MATH_INL_H_
#undef RASTER_LANE_MATH_INL_H_
#else
#define RASTER_LANE_MATH_INL_H_
#endif

#include <hwy/highway.h>

#include <cmath>

#if HWY_TARGET == HWY_WASM
#include <wasm_simd128.h>
#endif

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

using DF = hn::ScalableTag<float>;
using DI = hn::RebindToSigned<DF>;
using DU = hn::RebindToUnsigned<DF>;
using VF = hn::Vec<DF>;
using VI = hn::Vec<DI>;
using MF = hn::Mask<DF>;

// Double precision runs on the float lanes in two halves (one part on a
// one-lane target), each half in the same operation order.
#if HWY_TARGET == HWY_SCALAR
using DD = hn::Rebind<double, DF>;
using VD = hn::Vec<DD>;
struct Doubles {
    VD lo;
};
HWY_INLINE Doubles widen(VF v) {
    return Doubles{hn::PromoteTo(DD(), v)};
}
HWY_INLINE VF narrow(const Doubles& d) {
    return hn::DemoteTo(DF(), d.lo);
}
template <typename Op>
HWY_INLINE Doubles apply(Op op, const Doubles& a, const Doubles& b) {
    return Doubles{op(a.lo, b.lo)};
}
HWY_INLINE Doubles broadcast(double value) {
    return Doubles{hn::Set(DD(), value)};
}
HWY_INLINE Doubles loadDoubles(const double* p) {
    return Doubles{hn::LoadU(DD(), p)};
}
HWY_INLINE Doubles loadRepeated(const double* p) {
    return Doubles{hn::Load(DD(), p)};
}
#elif HWY_TARGET == HWY_WASM
// Highway's WebAssembly target has no double lanes: the halves are
// WebAssembly's own f64x2 vectors, with the same IEEE operations.
struct Doubles {
    v128_t lo, hi;
};
HWY_INLINE Doubles widen(VF v) {
    return Doubles{wasm_f64x2_promote_low_f32x4(v.raw),
                   wasm_f64x2_promote_low_f32x4(wasm_i32x4_shuffle(v.raw, v.raw, 2, 3, 2, 3))};
}
HWY_INLINE VF narrow(const Doubles& d) {
    const v128_t lo = wasm_f32x4_demote_f64x2_zero(d.lo);
    const v128_t hi = wasm_f32x4_demote_f64x2_zero(d.hi);
    return VF{wasm_i32x4_shuffle(lo, hi, 0, 1, 4, 5)};
}
HWY_INLINE Doubles broadcast(double value) {
    const v128_t v = wasm_f64x2_splat(value);
    return Doubles{v, v};
}
HWY_INLINE Doubles loadDoubles(const double* p) {
    return Doubles{wasm_v128_load(p), wasm_v128_load(p + 2)};
}
HWY_INLINE Doubles loadRepeated(const double* p) {
    const v128_t v = wasm_v128_load(p);
    return Doubles{v, v};
}
HWY_INLINE Doubles add(const Doubles& a, const Doubles& b) {
    return Doubles{wasm_f64x2_add(a.lo, b.lo), wasm_f64x2_add(a.hi, b.hi)};
}
HWY_INLINE Doubles mul(const Doubles& a, const Doubles& b) {
    return Doubles{wasm_f64x2_mul(a.lo, b.lo), wasm_f64x2_mul(a.hi, b.hi)};
}
#else
using DH = hn::Half<DF>;
using DD = hn::Rebind<double, DH>;
using VD = hn::Vec<DD>;
struct Doubles {
    VD lo, hi;
};
HWY_INLINE Doubles widen(VF v) {
    const DH dh;
    return Doubles{hn::PromoteTo(DD(), hn::LowerHalf(dh, v)),
                   hn::PromoteTo(DD(), hn::UpperHalf(dh, v))};
}
HWY_INLINE VF narrow(const Doubles& d) {
    const DH dh;
    return hn::Combine(DF(), hn::DemoteTo(dh, d.hi), hn::DemoteTo(dh, d.lo));
}
template <typename Op>
HWY_INLINE Doubles apply(Op op, const Doubles& a, const Doubles& b) {
    return Doubles{op(a.lo, b.lo), op(a.hi, b.hi)};
}
HWY_INLINE Doubles broadcast(double value) {
    const VD v = hn::Set(DD(), value);
    return Doubles{v, v};
}
// As many doubles as there are float lanes, from `p` on.
HWY_INLINE Doubles loadDoubles(const double* p) {
    return Doubles{hn::LoadU(DD(), p), hn::LoadU(DD(), p + hn::Lanes(DD()))};
}
// Both halves from the same half's worth of doubles at `p` (aligned): a
// broadcast kept in memory.
HWY_INLINE Doubles loadRepeated(const double* p) {
    const VD v = hn::Load(DD(), p);
    return Doubles{v, v};
}
#endif

#if HWY_TARGET != HWY_WASM
HWY_INLINE Doubles add(const Doubles& a, const Doubles& b) {
    return apply([](VD x, VD y) { return hn::Add(x, y); }, a, b);
}
HWY_INLINE Doubles mul(const Doubles& a, const Doubles& b) {
    return apply([](VD x, VD y) { return hn::Mul(x, y); }, a, b);
}
#endif

struct Vec3F {
    VF x, y, z;
};

struct Vec4F {
    VF x, y, z, w;
};

// Float squares summed in float, a float square root, k = 1 / length, float
// products. No zero-length check.
HWY_INLINE void normalizeInPlace(Vec3F& v) {
    const DF df;
    const VF length =
        hn::Sqrt(hn::Add(hn::Add(hn::Mul(v.x, v.x), hn::Mul(v.y, v.y)), hn::Mul(v.z, v.z)));
    const VF k = hn::Div(hn::Set(df, 1.0f), length);
    v.x = hn::Mul(v.x, k);
    v.y = hn::Mul(v.y, k);
    v.z = hn::Mul(v.z, k);
}

HWY_INLINE VF dot3(const Vec3F& a, const Vec3F& b) {
    const Doubles zz = widen(hn::Mul(a.z, b.z));
    const Doubles yy = widen(hn::Mul(a.y, b.y));
    const Doubles xx = widen(hn::Mul(a.x, b.x));
    return narrow(add(add(zz, yy), xx));
}

// Row i of a row-major double matrix times (x, y, z, w).
HWY_INLINE VF matrixRow(const double* m, int i, const Doubles& x, const Doubles& y,
                        const Doubles& z, const Doubles& w) {
    return narrow(add(add(add(mul(broadcast(m[4 * i]), x), mul(broadcast(m[4 * i + 1]), y)),
                          mul(broadcast(m[4 * i + 2]), z)),
                      mul(broadcast(m[4 * i + 3]), w)));
}

HWY_INLINE Vec4F transform(const double* m, const Vec4F& v) {
    const Doubles x = widen(v.x), y = widen(v.y), z = widen(v.z), w = widen(v.w);
    return Vec4F{matrixRow(m, 0, x, y, z, w), matrixRow(m, 1, x, y, z, w),
                 matrixRow(m, 2, x, y, z, w), matrixRow(m, 3, x, y, z, w)};
}

// A float reciprocal of w, then float products.
HWY_INLINE Vec3F dehomogenized(const Vec4F& p) {
    const VF r = hn::Div(hn::Set(DF(), 1.0f), p.w);
    return Vec3F{hn::Mul(p.x, r), hn::Mul(p.y, r), hn::Mul(p.z, r)};
}

HWY_INLINE MF finite(VF v) {
    return hn::Lt(hn::Abs(v), hn::Set(DF(), HUGE_VALF));
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#endif  // RASTER_LANE_MATH_INL_H_
