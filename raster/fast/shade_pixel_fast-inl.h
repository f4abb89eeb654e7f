// shadePixel (shade_pixel.cpp) on SIMD lanes, for consecutive pixels of one
// row: the same steps in the same order and precision (world position by the
// inverse projection and view, view direction, per light the clamped diffuse
// and the integer-power specular term on the half vector, plus ambient times
// diffuse), from the same per-frame record (lightingConstants). Where the
// inverse projection has the exact zeros of a perspective inverse, the
// unprojection is taken from per-column and per-row tables instead of the
// full product; the tables hold the very products the full one forms, and
// lanes where a skipped zero term could matter (a depth or a part that is
// zero or not finite) take the full product.
//
// The pixels lit are those the span walk (shade_rows.cpp) left a
// fragment record in: only a pixel's last passing fragment keeps its colour,
// so only that one is lit, from the normal it had there (already
// normalised, as shadePixel leaves it) and its depth (the one stored).
// Included once per SIMD target (Highway's foreach_target), hence the guard.
#if defined(RASTER_SHADE_PIXEL_FAST_INL_H_) == defined(HWY_TARGET_TOGGLE)
#ifdef RASTER_SHADE_PIXEL_FAST_INL_H_
#undef RASTER_SHADE_PIXEL_FAST_INL_H_
#else
#define RASTER_SHADE_PIXEL_FAST_INL_H_
#endif

#include <hwy/highway.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "raster/fast/lane_math-inl.h"
#include "raster/fast/shade_rows.h"
#include "raster/plain/lighting_constants.h"
#include "scene/scene.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// What the lighting reads that is the same for every pixel of a row: its
// device coordinate and, for the table path, its part of the unprojection,
// whether that part is usable (finite and not zero), and its products with
// the inverse view's second column.
struct RowConstants {
    float device;
    float unprojected;
    bool unprojectedUsable;
    double view[4];
};

HWY_INLINE RowConstants rowConstants(const SpanFillJob& job, int y) {
    RowConstants row{job.rowDevice[y], 0.0f, false, {}};
    if (!job.reducedUnprojection) return row;
    row.unprojected = job.rowUnprojected[y];
    row.unprojectedUsable = std::isfinite(row.unprojected) && row.unprojected != 0.0f;
    const double* vi = job.shading->inverseView.m;
    for (int i = 0; i < 4; ++i) row.view[i] = vi[4 * i + 1] * static_cast<double>(row.unprojected);
    return row;
}

// The lanes' pixels as shadePixel receives them: consecutive columns of one
// row, from `column` on, and each pixel's depth; `lit` marks the lanes whose
// colour is kept.
struct PixelLanes {
    int column;
    const RowConstants& row;
    VF depth;
    MF lit;
};

// Three colour channels, one pixel per lane.
struct ColorLanes {
    VF r, g, b;
};

// Row i of the inverse view times the unprojected pixel, its first two
// products from the tables: ((columnView + rowView) + m[4 i + 2] z) +
// m[4 i + 3] w, as matrixRow sums them.
HWY_INLINE VF viewRowFromTables(const SpanFillJob& job, int i, const PixelLanes& px,
                                const Doubles& z, const Doubles& w) {
    const double* m = job.shading->inverseView.m + 4 * i;
    const Doubles first =
        loadDoubles(job.columnView +
                    static_cast<std::size_t>(i) * static_cast<std::size_t>(job.width) + px.column);
    return narrow(add(add(add(first, broadcast(px.row.view[i])), mul(broadcast(m[2]), z)),
                      mul(broadcast(m[3]), w)));
}

// The unprojection from the tables; false (and nothing computed) when a lit
// lane's depth is not finite or a part it relies on is zero or not finite,
// where the zero terms of the full product could change a sign or give a
// NaN.
HWY_INLINE bool unprojectFromTables(const SpanFillJob& job, const PixelLanes& px, Vec4F& p) {
    const DF df;
    if (!px.row.unprojectedUsable) return false;
    const double* pi = job.shading->inverseProjection.m;
    const VF qx = hn::LoadU(df, job.columnUnprojected + px.column);
    const Doubles dz = widen(px.depth);
    const VF qz = narrow(add(mul(broadcast(pi[10]), dz), broadcast(pi[11])));
    const VF qw = narrow(add(mul(broadcast(pi[14]), dz), broadcast(pi[15])));
    MF unusable = hn::Or(notFinite(px.depth), notFinite(qx));
    unusable = hn::Or(unusable, hn::Or(hn::Eq(qx, hn::Zero(df)), notFinite(qz)));
    if (job.affineView) unusable = hn::Or(unusable, hn::Eq(qw, hn::Zero(df)));
    if (!hn::AllFalse(df, hn::And(px.lit, unusable))) return false;

    const Doubles z = widen(qz), w = widen(qw);
    VF rows[3];
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) rows[i] = viewRowFromTables(job, i, px, z, w);
    const VF pw = job.affineView ? qw : viewRowFromTables(job, 3, px, z, w);
    p = Vec4F{rows[0], rows[1], rows[2], pw};
    return true;
}

// The pixel back in the world: device coordinates, the inverse projection
// and the inverse view, then the divide by w.
HWY_INLINE Vec3F worldPosition(const SpanFillJob& job, const PixelLanes& px) {
    const DF df;
    Vec4F p;
    if (!job.reducedUnprojection || !unprojectFromTables(job, px, p)) {
        const Vec4F device{hn::LoadU(df, job.columnDevice + px.column), hn::Set(df, px.row.device),
                           px.depth, hn::Set(df, 1.0f)};
        p = transform(job.shading->inverseView.m,
                      transform(job.shading->inverseProjection.m, device));
    }
    return dehomogenized(p);
}

// integerPower of shade_pixel.cpp for N bases and one exponent: each base's
// chain of squarings and products, the N chains interleaved so that their
// latencies overlap. The exponent's bits are the same in every lane, so they
// steer the loop instead of masks.
template <int N>
HWY_INLINE void integerPowers(const VF (&s)[N], int exponent, VF (&f)[N]) {
    const DF df;
    VF base[N];
    for (int k = 0; k < N; ++k) {
        f[k] = hn::Set(df, 1.0f);
        base[k] = s[k];
    }
    for (unsigned m = shininessMagnitude(exponent); m != 0u;) {
        if ((m & 1u) != 0u) {
            for (int k = 0; k < N; ++k) f[k] = hn::Mul(f[k], base[k]);
        }
        m >>= 1;
        if (m == 0u) break;  // the square after the last bit reaches no result
        for (int k = 0; k < N; ++k) base[k] = hn::Mul(base[k], base[k]);
    }
    if (exponent < 0) {
        for (int k = 0; k < N; ++k) f[k] = hn::Div(hn::Set(df, 1.0f), f[k]);
    }
}

// One light's clamped diffuse factor at each lane's pixel and, unless the
// exponent is 0 (then the specular factor is 1 whatever its base), the
// specular base on the half vector.
struct LightLanes {
    VF diffuse;
    VF specularBase;
};

HWY_INLINE LightLanes lightLanes(const Light& light, const Vec3F& position, const Vec3F& view,
                                 const Vec3F& normal, bool specularBase) {
    const DF df;
    Vec3F l{hn::Sub(hn::Set(df, light.position.x), position.x),
            hn::Sub(hn::Set(df, light.position.y), position.y),
            hn::Sub(hn::Set(df, light.position.z), position.z)};
    normalizeInPlace(l);
    VF d = dot3(normal, l);
    d = hn::IfThenElse(hn::Lt(d, hn::Zero(df)), hn::Zero(df), d);
    if (!specularBase) return LightLanes{d, hn::Zero(df)};
    Vec3F h{hn::Add(view.x, l.x), hn::Add(view.y, l.y), hn::Add(view.z, l.z)};
    normalizeInPlace(h);
    return LightLanes{d, dot3(h, normal)};
}

// One channel of a light's part: sum + (f * specular + d * diffuse) * light.
HWY_INLINE VF addLight(VF sum, VF f, float specular, VF d, float diffuse, float light) {
    const DF df;
    return hn::Add(
        sum, hn::Mul(hn::Add(hn::Mul(f, hn::Set(df, specular)), hn::Mul(d, hn::Set(df, diffuse))),
                     hn::Set(df, light)));
}

HWY_INLINE void addLight(ColorLanes& sum, const Light& light, const MaterialShading& material, VF d,
                         VF power) {
    const Color& specular = material.specular;
    const Color& diffuse = material.diffuse;
    sum.r = addLight(sum.r, power, specular.r, d, diffuse.r, light.color.r);
    sum.g = addLight(sum.g, power, specular.g, d, diffuse.g, light.color.g);
    sum.b = addLight(sum.b, power, specular.b, d, diffuse.b, light.color.b);
}

// The lit colour of each lane's pixel in one material, from its world
// position, view direction and normalised normal. The lights are taken two
// at a time, their powers formed together; each one's part is added in list
// order.
HWY_INLINE ColorLanes shadePixelLanes(const LightingConstants& shading, const Vec3F& position,
                                      const Vec3F& view, const Vec3F& normal,
                                      const MaterialShading& material) {
    const DF df;
    const int exponent = material.shininess;
    const bool specularBase = exponent != 0;
    ColorLanes sum{hn::Zero(df), hn::Zero(df), hn::Zero(df)};
    const std::size_t lights = shading.lights.size();
    std::size_t i = 0;
    for (; i + 1 < lights; i += 2) {
        const Light& first = shading.lights[i];
        const Light& second = shading.lights[i + 1];
        const LightLanes a = lightLanes(first, position, view, normal, specularBase);
        const LightLanes b = lightLanes(second, position, view, normal, specularBase);
        const VF bases[2] = {a.specularBase, b.specularBase};
        VF powers[2];
        integerPowers(bases, exponent, powers);
        addLight(sum, first, material, a.diffuse, powers[0]);
        addLight(sum, second, material, b.diffuse, powers[1]);
    }
    if (i < lights) {
        const LightLanes a = lightLanes(shading.lights[i], position, view, normal, specularBase);
        const VF bases[1] = {a.specularBase};
        VF powers[1];
        integerPowers(bases, exponent, powers);
        addLight(sum, shading.lights[i], material, a.diffuse, powers[0]);
    }
    const Color& ambient = material.ambient;
    return ColorLanes{hn::Add(sum.r, hn::Set(df, ambient.r)),
                      hn::Add(sum.g, hn::Set(df, ambient.g)),
                      hn::Add(sum.b, hn::Set(df, ambient.b))};
}

// The pixels of one vector, consecutive columns of row y from `column` on:
// `colors` (four floats a pixel) and `depths` hold them. Each pixel holding
// a fragment record gets its fragment's lit colour with alpha 1; the others
// are stored back as they were. The lanes are lit one material at a time,
// nearly always once.
HWY_INLINE void shadeRecordedLanes(const SpanFillJob& job, const RowConstants& row, int column,
                                   float* colors, const float* depths) {
    const DF df;
    const DI di;
    VF r, g, b, a;
    hn::LoadInterleaved4(df, colors, r, g, b, a);
    const VI record = hn::BitCast(di, a);
    MF unlit = hn::RebindMask(df, hn::Lt(record, hn::Zero(di)));
    if (hn::AllFalse(df, unlit)) return;

    const LightingConstants& shading = *job.shading;
    const Vec3F normal{r, g, b};
    const PixelLanes px{column, row, hn::LoadU(df, depths), unlit};
    const Vec3F position = worldPosition(job, px);
    Vec3F view{hn::Sub(hn::Set(df, shading.eye.x), position.x),
               hn::Sub(hn::Set(df, shading.eye.y), position.y),
               hn::Sub(hn::Set(df, shading.eye.z), position.z)};
    normalizeInPlace(view);

    const VI objects = hn::Not(record);
    HWY_ALIGN std::int32_t object[HWY_LANES(float)];
    hn::Store(objects, di, object);
    do {
        const int first = object[hn::FindKnownFirstTrue(df, unlit)];
        const MF these = hn::And(unlit, hn::RebindMask(df, hn::Eq(objects, hn::Set(di, first))));
        const ColorLanes lit = shadePixelLanes(shading, position, view, normal,
                                               shading.materials[static_cast<std::size_t>(first)]);
        r = hn::IfThenElse(these, lit.r, r);
        g = hn::IfThenElse(these, lit.g, g);
        b = hn::IfThenElse(these, lit.b, b);
        a = hn::IfThenElse(these, hn::Set(df, 1.0f), a);
        unlit = hn::AndNot(these, unlit);
    } while (!hn::AllFalse(df, unlit));
    hn::StoreInterleaved4(r, g, b, a, df, colors);
}

// Row y of a frame narrower than a vector: the row and its column tables
// copied into a vector's width, padded with pixels that hold no record.
HWY_NOINLINE void shadeNarrowRow(const SpanFillJob& job, const RowConstants& row, float* colors,
                                 const float* depths) {
    constexpr std::size_t kLanes = HWY_LANES(float);
    HWY_ALIGN float padColors[4 * kLanes];
    HWY_ALIGN float padDepths[kLanes];
    HWY_ALIGN float padDevice[kLanes];
    HWY_ALIGN float padUnprojected[kLanes];
    HWY_ALIGN double padView[4 * kLanes];
    const std::size_t n = static_cast<std::size_t>(job.width);
    for (std::size_t k = 0; k < kLanes; ++k) {
        const bool inRow = k < n;
        for (std::size_t c = 0; c < 4; ++c) {
            padColors[4 * k + c] = inRow ? colors[4 * k + c] : 1.0f;
            padView[c * kLanes + k] =
                inRow && job.columnView != nullptr ? job.columnView[c * n + k] : 0.0;
        }
        padDepths[k] = inRow ? depths[k] : 1.0f;
        padDevice[k] = inRow ? job.columnDevice[k] : 0.0f;
        padUnprojected[k] =
            inRow && job.columnUnprojected != nullptr ? job.columnUnprojected[k] : 1.0f;
    }
    SpanFillJob padded = job;
    padded.width = static_cast<int>(kLanes);
    padded.columnDevice = padDevice;
    padded.columnUnprojected = padUnprojected;
    padded.columnView = padView;
    shadeRecordedLanes(padded, row, 0, padColors, padDepths);
    std::memcpy(colors, padColors, n * sizeof(Color));
}

// Lights the recorded fragments of columns [first, end) of row y, a vector
// of columns at a time. The last vector ends at `end` and may reach back
// over columns already lit, which hold no record any more; a row narrower
// than a vector goes through a copy padded with pixels that hold none. One
// call a row, kept out of line so that profiles show the lighting apart from
// the walk.
HWY_NOINLINE void shadeRecordedRow(const SpanFillJob& job, int y, int first, int end) {
    const int lanes = static_cast<int>(hn::Lanes(DF()));
    const std::size_t rowBase = static_cast<std::size_t>(y) * static_cast<std::size_t>(job.width);
    float* colors = reinterpret_cast<float*>(job.color + rowBase);
    const float* depths = job.depth + rowBase;
    const RowConstants row = rowConstants(job, y);
    int x = first;
    for (; x + lanes <= end; x += lanes)
        shadeRecordedLanes(job, row, x, colors + 4 * x, depths + x);
    if (x == end) return;
    if (job.width >= lanes) {
        x = std::max(0, std::min(x, end - lanes));
        shadeRecordedLanes(job, row, x, colors + 4 * x, depths + x);
        return;
    }
    // A frame narrower than a vector: through a padded copy of the row and
    // its tables.
    shadeNarrowRow(job, row, colors, depths);
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#endif  // RASTER_SHADE_PIXEL_FAST_INL_H_
