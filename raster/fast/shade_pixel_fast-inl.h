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
#include "raster/fast/lighting_lanes.h"
#include "raster/fast/shade_rows.h"
#include "raster/plain/lighting_constants.h"
#include "scene/scene.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

static_assert(HWY_LANES(float) * sizeof(float) <= sizeof(FloatLanes),
              "a vector wider than FloatLanes");

HWY_INLINE VF lanes(const FloatLanes& k) {
    return hn::Load(DF(), k.v);
}

HWY_INLINE Doubles lanes(const DoubleLanes& k) {
    return loadRepeated(k.v);
}

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

// Four channels, one pixel per lane, as the colour buffer holds them.
struct PixelColors {
    VF r, g, b, a;
};

// Row i of the inverse view times the unprojected pixel, its first two
// products from the tables and its third, m[4 i + 2] z, given:
// ((columnView + rowView) + zPart) + m[4 i + 3] w, as matrixRow sums them.
HWY_INLINE VF viewRowFromTables(const SpanFillJob& job, const LightingLanes& k, int i,
                                const PixelLanes& px, const Doubles& zPart, const Doubles& w) {
    const Doubles first =
        loadDoubles(job.columnView +
                    static_cast<std::size_t>(i) * static_cast<std::size_t>(job.width) + px.column);
    return narrow(
        add(add(add(first, broadcast(px.row.view[i])), zPart), mul(lanes(k.viewRow(i, 1)), w)));
}

// The inverse view's rows from the tables, zPart(i) giving row i's product
// with z.
template <typename ZPart>
HWY_INLINE Vec4F viewRowsFromTables(const SpanFillJob& job, const LightingLanes& k,
                                    const PixelLanes& px, VF qw, const Doubles& w, ZPart zPart) {
    VF rows[3];
#pragma GCC unroll 3
    for (int i = 0; i < 3; ++i) rows[i] = viewRowFromTables(job, k, i, px, zPart(i), w);
    const VF pw = job.affineView ? qw : viewRowFromTables(job, k, 3, px, zPart(3), w);
    return Vec4F{rows[0], rows[1], rows[2], pw};
}

// The unprojection from the tables; false (and nothing computed) when a lit
// lane's depth is not finite or a part it relies on is zero or not finite,
// where the zero terms of the full product could change a sign or give a
// NaN. Where every lit lane's depth keeps z at the frame's constant float
// (LightingLanes::constantZ), z and its products with the inverse view are
// the frame's: the same bits as formed from the depth.
HWY_INLINE bool unprojectFromTables(const SpanFillJob& job, const LightingLanes& k,
                                    const PixelLanes& px, Vec4F& p) {
    const DF df;
    if (!px.row.unprojectedUsable) return false;
    const VF qx = hn::LoadU(df, job.columnUnprojected + px.column);
    const Doubles dz = widen(px.depth);
    const VF qw = narrow(add(mul(lanes(k.projection(2)), dz), lanes(k.projection(3))));
    MF usable = hn::And(finite(qx), hn::Ne(qx, hn::Zero(df)));
    if (job.affineView) usable = hn::And(usable, hn::Ne(qw, hn::Zero(df)));
    const bool constantZ =
        k.constantZ() &&
        hn::AllFalse(df, hn::AndNot(hn::Le(hn::Abs(px.depth), lanes(k.constantZDepth())), px.lit));
    if (constantZ) {
        if (!hn::AllFalse(df, hn::AndNot(usable, px.lit))) return false;
        p = viewRowsFromTables(job, k, px, qw, widen(qw),
                               [&](int i) { return lanes(k.viewRowZ(i)); });
        return true;
    }
    const VF qz = narrow(add(mul(lanes(k.projection(0)), dz), lanes(k.projection(1))));
    usable = hn::And(usable, hn::And(finite(px.depth), finite(qz)));
    if (!hn::AllFalse(df, hn::AndNot(usable, px.lit))) return false;
    const Doubles z = widen(qz);
    p = viewRowsFromTables(job, k, px, qw, widen(qw),
                           [&](int i) { return mul(lanes(k.viewRow(i, 0)), z); });
    return true;
}

// The pixel back in the world: device coordinates, the inverse projection
// and the inverse view, then the divide by w.
HWY_INLINE Vec3F worldPosition(const SpanFillJob& job, const LightingLanes& k,
                               const PixelLanes& px) {
    const DF df;
    Vec4F p;
    if (!job.reducedUnprojection || !unprojectFromTables(job, k, px, p)) {
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
// steer the loops instead of masks. The first product, 1 times the base, is
// the base itself, NaNs included, so the base is taken as it is.
template <int N>
HWY_INLINE void integerPowers(const VF (&s)[N], int exponent, VF (&f)[N]) {
    const DF df;
    unsigned m = shininessMagnitude(exponent);
    if (m == 0u) {
        for (int k = 0; k < N; ++k) f[k] = hn::Set(df, 1.0f);
        return;
    }
    VF base[N];
    for (int k = 0; k < N; ++k) base[k] = s[k];
    for (; (m & 1u) == 0u; m >>= 1) {
        for (int k = 0; k < N; ++k) base[k] = hn::Mul(base[k], base[k]);
    }
    for (int k = 0; k < N; ++k) f[k] = base[k];
    // A square for each bit after that one: none follows the last.
    for (m >>= 1; m != 0u; m >>= 1) {
        for (int k = 0; k < N; ++k) base[k] = hn::Mul(base[k], base[k]);
        if ((m & 1u) != 0u) {
            for (int k = 0; k < N; ++k) f[k] = hn::Mul(f[k], base[k]);
        }
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

HWY_INLINE LightLanes lightLanes(const FloatLanes* light, const Vec3F& position, const Vec3F& view,
                                 const Vec3F& normal, bool specularBase) {
    const DF df;
    Vec3F l{hn::Sub(lanes(light[0]), position.x), hn::Sub(lanes(light[1]), position.y),
            hn::Sub(lanes(light[2]), position.z)};
    normalizeInPlace(l);
    VF d = dot3(normal, l);
    d = hn::IfThenElse(hn::Lt(d, hn::Zero(df)), hn::Zero(df), d);
    if (!specularBase) return LightLanes{d, hn::Zero(df)};
    Vec3F h{hn::Add(view.x, l.x), hn::Add(view.y, l.y), hn::Add(view.z, l.z)};
    normalizeInPlace(h);
    return LightLanes{d, dot3(h, normal)};
}

// One channel of a light's part (lightParts in shade_pixel.cpp):
// sum + (f * specular + d * diffuse) * light.
HWY_INLINE VF addLight(VF sum, VF f, const FloatLanes& specular, VF d, const FloatLanes& diffuse,
                       const FloatLanes& light) {
    return hn::Add(sum, hn::Mul(hn::Add(hn::Mul(f, lanes(specular)), hn::Mul(d, lanes(diffuse))),
                                lanes(light)));
}

HWY_INLINE void addLight(ColorLanes& sum, const FloatLanes* light, const FloatLanes* material, VF d,
                         VF power) {
    const FloatLanes* specular = material + LightingLanes::kSpecular;
    const FloatLanes* color = light + 3;
    sum.r = addLight(sum.r, power, specular[0], d, material[0], color[0]);
    sum.g = addLight(sum.g, power, specular[1], d, material[1], color[1]);
    sum.b = addLight(sum.b, power, specular[2], d, material[2], color[2]);
}

// Lights i and i + 1 (at `first`) added to `sum`, their powers formed
// together.
HWY_INLINE void addLightPair(ColorLanes& sum, const FloatLanes* first, const FloatLanes* material,
                             int exponent, const Vec3F& position, const Vec3F& view,
                             const Vec3F& normal) {
    const FloatLanes* second = first + LightingLanes::kPerLight;
    const bool specularBase = exponent != 0;
    const LightLanes a = lightLanes(first, position, view, normal, specularBase);
    const LightLanes b = lightLanes(second, position, view, normal, specularBase);
    const VF bases[2] = {a.specularBase, b.specularBase};
    VF powers[2];
    integerPowers(bases, exponent, powers);
    addLight(sum, first, material, a.diffuse, powers[0]);
    addLight(sum, second, material, b.diffuse, powers[1]);
}

// Lights [first, lightCount()) added to `sum` in list order, two at a time.
HWY_NOINLINE ColorLanes addLights(ColorLanes sum, const LightingLanes& k, std::size_t first,
                                  const FloatLanes* material, int exponent, const Vec3F& position,
                                  const Vec3F& view, const Vec3F& normal) {
    const std::size_t lights = k.lightCount();
    std::size_t i = first;
    for (; i + 1 < lights; i += 2)
        addLightPair(sum, k.light(i), material, exponent, position, view, normal);
    if (i < lights) {
        const LightLanes a = lightLanes(k.light(i), position, view, normal, exponent != 0);
        const VF bases[1] = {a.specularBase};
        VF powers[1];
        integerPowers(bases, exponent, powers);
        addLight(sum, k.light(i), material, a.diffuse, powers[0]);
    }
    return sum;
}

// The lit colour of each lane's pixel in one material, from its world
// position, view direction and normalised normal. The lights are taken two
// at a time, their powers formed together; each one's part is added in list
// order.
HWY_INLINE ColorLanes shadePixelLanes(const LightingLanes& k, const Vec3F& position,
                                      const Vec3F& view, const Vec3F& normal, std::size_t object) {
    const DF df;
    const FloatLanes* material = k.material(object);
    const int exponent = k.shininess(object);
    ColorLanes sum{hn::Zero(df), hn::Zero(df), hn::Zero(df)};
    // The first pair in line; any other lights out of line, so that with two
    // lights (the usual case) the compiler keeps no loop's invariants, which
    // it would hoist out of it and spill.
    if (k.lightCount() >= 2) {
        addLightPair(sum, k.light(0), material, exponent, position, view, normal);
        if (k.lightCount() > 2)
            sum = addLights(sum, k, 2, material, exponent, position, view, normal);
    } else {
        sum = addLights(sum, k, 0, material, exponent, position, view, normal);
    }
    const FloatLanes* ambient = material + LightingLanes::kAmbient;
    return ColorLanes{hn::Add(sum.r, lanes(ambient[0])), hn::Add(sum.g, lanes(ambient[1])),
                      hn::Add(sum.b, lanes(ambient[2]))};
}

// The lanes of `unlit` lit one material at a time, in the order of their
// first lanes: a vector whose pixels show more than one object. Out of line
// so that the usual vector of one object keeps its values in registers.
HWY_NOINLINE PixelColors shadeOtherMaterials(const LightingLanes& k, const Vec3F& position,
                                             const Vec3F& view, const Vec3F& normal, VI objects,
                                             const std::int32_t* object, MF unlit,
                                             PixelColors out) {
    const DF df;
    const DI di;
    do {
        const int first = object[hn::FindKnownFirstTrue(df, unlit)];
        const MF these = hn::And(unlit, hn::RebindMask(df, hn::Eq(objects, hn::Set(di, first))));
        const ColorLanes lit =
            shadePixelLanes(k, position, view, normal, static_cast<std::size_t>(first));
        out.r = hn::IfThenElse(these, lit.r, out.r);
        out.g = hn::IfThenElse(these, lit.g, out.g);
        out.b = hn::IfThenElse(these, lit.b, out.b);
        out.a = hn::IfThenElse(these, hn::Set(df, 1.0f), out.a);
        unlit = hn::AndNot(these, unlit);
    } while (!hn::AllFalse(df, unlit));
    return out;
}

// The pixels of one vector, consecutive columns of row y from `column` on:
// `colors` (four floats a pixel) and `depths` hold them. Each pixel holding
// a fragment record gets its fragment's lit colour with alpha 1; the others
// are stored back as they were. The lanes are lit one material at a time,
// nearly always once.
HWY_INLINE void shadeRecordedLanes(const SpanFillJob& job, const LightingLanes& k,
                                   const RowConstants& row, int column, float* colors,
                                   const float* depths) {
    const DF df;
    const DI di;
    VF r, g, b, a;
    hn::LoadInterleaved4(df, colors, r, g, b, a);
    const VI record = hn::BitCast(di, a);
    MF unlit = hn::RebindMask(df, hn::Lt(record, hn::Zero(di)));
    if (hn::AllFalse(df, unlit)) return;

    const Vec3F normal{r, g, b};
    const PixelLanes px{column, row, hn::LoadU(df, depths), unlit};
    const Vec3F position = worldPosition(job, k, px);
    Vec3F view{hn::Sub(lanes(k.eye(0)), position.x), hn::Sub(lanes(k.eye(1)), position.y),
               hn::Sub(lanes(k.eye(2)), position.z)};
    normalizeInPlace(view);

    const VI objects = hn::Not(record);
    HWY_ALIGN std::int32_t object[HWY_LANES(float)];
    hn::Store(objects, di, object);
    const int first = object[hn::FindKnownFirstTrue(df, unlit)];
    const MF these = hn::And(unlit, hn::RebindMask(df, hn::Eq(objects, hn::Set(di, first))));
    const ColorLanes lit =
        shadePixelLanes(k, position, view, normal, static_cast<std::size_t>(first));
    PixelColors out{hn::IfThenElse(these, lit.r, r), hn::IfThenElse(these, lit.g, g),
                    hn::IfThenElse(these, lit.b, b), hn::IfThenElse(these, hn::Set(df, 1.0f), a)};
    unlit = hn::AndNot(these, unlit);
    if (!hn::AllFalse(df, unlit))
        out = shadeOtherMaterials(k, position, view, normal, objects, object, unlit, out);
    hn::StoreInterleaved4(out.r, out.g, out.b, out.a, df, colors);
}

// Row y of a frame narrower than a vector: the row and its column tables
// copied into a vector's width, padded with pixels that hold no record.
HWY_NOINLINE void shadeNarrowRow(const SpanFillJob& job, const LightingLanes& k,
                                 const RowConstants& row, float* colors, const float* depths) {
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
    shadeRecordedLanes(padded, k, row, 0, padColors, padDepths);
    std::memcpy(colors, padColors, n * sizeof(Color));
}

// Lights the recorded fragments of columns [first, end) of row y, a vector
// of columns at a time. The last vector ends at `end` and may reach back
// over columns already lit, which hold no record any more; a row narrower
// than a vector goes through a copy padded with pixels that hold none. One
// call a row, kept out of line so that profiles show the lighting apart from
// the walk.
HWY_NOINLINE void shadeRecordedRow(const SpanFillJob& job, const LightingLanes& k, int y, int first,
                                   int end) {
    const int lanes = static_cast<int>(hn::Lanes(DF()));
    const std::size_t rowBase = static_cast<std::size_t>(y) * static_cast<std::size_t>(job.width);
    float* colors = reinterpret_cast<float*>(job.color + rowBase);
    const float* depths = job.depth + rowBase;
    const RowConstants row = rowConstants(job, y);
    int x = first;
    for (; x + lanes <= end; x += lanes)
        shadeRecordedLanes(job, k, row, x, colors + 4 * x, depths + x);
    if (x == end) return;
    if (job.width >= lanes) {
        x = std::max(0, std::min(x, end - lanes));
        shadeRecordedLanes(job, k, row, x, colors + 4 * x, depths + x);
        return;
    }
    // A frame narrower than a vector: through a padded copy of the row and
    // its tables.
    shadeNarrowRow(job, k, row, colors, depths);
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#endif  // RASTER_SHADE_PIXEL_FAST_INL_H_
