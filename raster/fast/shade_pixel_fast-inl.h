// shadePixel (shade_pixel.cpp) on SIMD lanes, one pixel per lane: the same
// steps in the same order and precision (world position by the inverse
// projection and view, view direction, renormalised normal, per light the
// clamped diffuse and the integer-power specular term on the half vector,
// plus ambient times diffuse), from the same per-frame record
// (lightingConstants). Where the inverse projection has the exact zeros of a
// perspective inverse, the unprojection is taken from per-column and per-row
// tables instead of the full product; the tables hold the very products the
// full one forms, and lanes where a skipped zero term could matter (a depth
// or a part that is zero or not finite) take the full product.
// Included once per SIMD target (Highway's foreach_target), hence the guard.
#if defined(RASTER_SHADE_PIXEL_FAST_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RASTER_SHADE_PIXEL_FAST_INL_H_
#undef RASTER_SHADE_PIXEL_FAST_INL_H_
#else
#define RASTER_SHADE_PIXEL_FAST_INL_H_
#endif

#include <hwy/highway.h>

#include <cstddef>
#include <cstdint>

#include "raster/fast/lane_math-inl.h"
#include "raster/fast/shade_rows.h"
#include "scene/scene.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// The lanes' pixels as shadePixel receives them: column, row (as its device
// coordinate and, for the table path, its part of the unprojection; each
// loaded only where it is used), depth.
struct PixelLanes {
    VI column;
    const float* rowDevice;
    const float* rowUnprojected;
    VF depth;
};

// Three colour channels, one pixel per lane.
struct ColorLanes {
    VF r, g, b;
};

// Each lane's material: its face's object's entry of LightingConstants::materials.
struct MaterialLanes {
    ColorLanes diffuse;
    ColorLanes specular;
    ColorLanes ambient;  // the scene's ambient times the diffuse colour
    VI shininess;
};

// The unprojection from the tables; false (and nothing computed) when a
// lane's depth is not finite or a part it relies on is zero or not finite,
// where the zero terms of the full product could change a sign or give a
// NaN.
HWY_INLINE bool unprojectFromTables(const SpanFillJob& f, const PixelLanes& px, Vec4F& p) {
    const DF df;
    const double* pi = f.shading->inverseProjection.m;
    const double* vi = f.shading->inverseView.m;
    const VF qx = hn::GatherIndex(df, f.columnUnprojected, px.column);
    const VF qy = hn::Load(df, px.rowUnprojected);
    const Doubles dz = widen(px.depth);
    const VF qz = narrow(add(mul(broadcast(pi[10]), dz), broadcast(pi[11])));
    const VF qw = narrow(add(mul(broadcast(pi[14]), dz), broadcast(pi[15])));
    MF unusable = hn::Or(notFinite(px.depth), hn::Or(notFinite(qx), notFinite(qy)));
    unusable = hn::Or(unusable, hn::Or(hn::Eq(qx, hn::Zero(df)), hn::Eq(qy, hn::Zero(df))));
    unusable = hn::Or(unusable, notFinite(qz));
    if (f.affineView) unusable = hn::Or(unusable, hn::Eq(qw, hn::Zero(df)));
    if (!hn::AllFalse(df, unusable)) return false;

    const Doubles x = widen(qx), y = widen(qy), z = widen(qz), w = widen(qw);
    VF rows[3];
    for (int i = 0; i < 3; ++i) rows[i] = matrixRow(vi, i, x, y, z, w);
    const VF pw = f.affineView ? qw : matrixRow(vi, 3, x, y, z, w);
    p = Vec4F{rows[0], rows[1], rows[2], pw};
    return true;
}

// The pixel back in the world: device coordinates, the inverse projection
// and the inverse view, then the divide by w.
HWY_INLINE Vec3F worldPosition(const SpanFillJob& f, const PixelLanes& px) {
    const DF df;
    Vec4F p;
    if (!f.reducedUnprojection || !unprojectFromTables(f, px, p)) {
        const Vec4F device{hn::GatherIndex(df, f.columnDevice, px.column),
                           hn::Load(df, px.rowDevice), px.depth, hn::Set(df, 1.0f)};
        p = transform(f.shading->inverseView.m, transform(f.shading->inverseProjection.m, device));
    }
    return dehomogenized(p);
}

// The lanes' exponents as integerPower of shade_pixel.cpp takes them apart:
// |shininess|, its sign, and the number of squaring steps the lanes need
// between them (the bit length of the largest |shininess|; squarings past a
// lane's last bit do not reach its result).
struct ExponentLanes {
    hn::Vec<DU> magnitude;
    MF negative;
    int steps;
};

HWY_INLINE ExponentLanes exponentLanes(VI exponent) {
    const DU du;
    const DI di;
    const auto negative = hn::Lt(exponent, hn::Zero(di));
    const auto bits = hn::BitCast(du, exponent);
    const auto magnitude =
        hn::IfThenElse(hn::RebindMask(du, negative), hn::Sub(hn::Zero(du), bits), bits);
    const std::uint32_t largest = hn::GetLane(hn::MaxOfLanes(du, magnitude));
    const int steps = largest == 0u ? 0 : 32 - __builtin_clz(largest);
    return ExponentLanes{magnitude, hn::RebindMask(DF(), negative), steps};
}

// integerPower of shade_pixel.cpp per lane, for N bases at once: each base's
// own chain of squarings and products, the N chains interleaved so that
// their latencies overlap.
template <int N>
HWY_INLINE void integerPowers(const VF (&s)[N], const ExponentLanes& e, VF (&f)[N]) {
    const DF df;
    VF base[N];
    for (int k = 0; k < N; ++k) {
        f[k] = hn::Set(df, 1.0f);
        base[k] = s[k];
    }
    auto m = e.magnitude;
    for (int i = 0; i < e.steps; ++i) {
        // The exponents' bit i spread over its lane: moved up to the sign,
        // then shifted back down arithmetically.
        const MF bit = hn::MaskFromVec(
            hn::BitCast(df, hn::ShiftRight<31>(hn::BitCast(DI(), hn::ShiftLeft<31>(m)))));
        for (int k = 0; k < N; ++k) {
            f[k] = hn::IfThenElse(bit, hn::Mul(f[k], base[k]), f[k]);
            base[k] = hn::Mul(base[k], base[k]);
        }
        m = hn::ShiftRight<1>(m);
    }
    for (int k = 0; k < N; ++k)
        f[k] = hn::IfThenElse(e.negative, hn::Div(hn::Set(df, 1.0f), f[k]), f[k]);
}

// One light's clamped diffuse factor and specular base at each lane's pixel.
struct LightLanes {
    VF diffuse;
    VF specularBase;
};

HWY_INLINE LightLanes lightLanes(const Light& light, const Vec3F& position, const Vec3F& view,
                                 const Vec3F& normal) {
    const DF df;
    Vec3F l{hn::Sub(hn::Set(df, light.position.x), position.x),
            hn::Sub(hn::Set(df, light.position.y), position.y),
            hn::Sub(hn::Set(df, light.position.z), position.z)};
    normalizeInPlace(l);
    VF d = dot3(normal, l);
    d = hn::IfThenElse(hn::Lt(d, hn::Zero(df)), hn::Zero(df), d);
    Vec3F h{hn::Add(view.x, l.x), hn::Add(view.y, l.y), hn::Add(view.z, l.z)};
    normalizeInPlace(h);
    return LightLanes{d, dot3(h, normal)};
}

// One channel of a light's part: sum + (f * specular + d * diffuse) * light.
HWY_INLINE VF addLight(VF sum, VF f, VF specular, VF d, VF diffuse, float light) {
    return hn::Add(
        sum, hn::Mul(hn::Add(hn::Mul(f, specular), hn::Mul(d, diffuse)), hn::Set(DF(), light)));
}

HWY_INLINE void addLight(ColorLanes& sum, const Light& light, const MaterialLanes& material, VF d,
                         VF power) {
    sum.r = addLight(sum.r, power, material.specular.r, d, material.diffuse.r, light.color.r);
    sum.g = addLight(sum.g, power, material.specular.g, d, material.diffuse.g, light.color.g);
    sum.b = addLight(sum.b, power, material.specular.b, d, material.diffuse.b, light.color.b);
}

// The lit colour of each lane's pixel; `normal` comes back normalised. The
// lights are taken two at a time, their powers formed together; each one's
// part is added in list order.
HWY_INLINE ColorLanes shadePixelLanes(const SpanFillJob& f, const PixelLanes& px,
                                      const MaterialLanes& material, Vec3F& normal) {
    const DF df;
    const LightingConstants& frame = *f.shading;
    const Vec3F position = worldPosition(f, px);

    Vec3F view{hn::Sub(hn::Set(df, frame.eye.x), position.x),
               hn::Sub(hn::Set(df, frame.eye.y), position.y),
               hn::Sub(hn::Set(df, frame.eye.z), position.z)};
    normalizeInPlace(view);
    normalizeInPlace(normal);

    const ExponentLanes exponent = exponentLanes(material.shininess);
    ColorLanes sum{hn::Zero(df), hn::Zero(df), hn::Zero(df)};
    const std::size_t lights = frame.lights.size();
    std::size_t i = 0;
    for (; i + 1 < lights; i += 2) {
        const Light& first = frame.lights[i];
        const Light& second = frame.lights[i + 1];
        const LightLanes a = lightLanes(first, position, view, normal);
        const LightLanes b = lightLanes(second, position, view, normal);
        const VF bases[2] = {a.specularBase, b.specularBase};
        VF powers[2];
        integerPowers(bases, exponent, powers);
        addLight(sum, first, material, a.diffuse, powers[0]);
        addLight(sum, second, material, b.diffuse, powers[1]);
    }
    if (i < lights) {
        const LightLanes a = lightLanes(frame.lights[i], position, view, normal);
        const VF bases[1] = {a.specularBase};
        VF powers[1];
        integerPowers(bases, exponent, powers);
        addLight(sum, frame.lights[i], material, a.diffuse, powers[0]);
    }
    return ColorLanes{hn::Add(sum.r, material.ambient.r), hn::Add(sum.g, material.ambient.g),
                      hn::Add(sum.b, material.ambient.b)};
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#endif  // RASTER_SHADE_PIXEL_FAST_INL_H_
