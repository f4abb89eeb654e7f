// The pixel loop of the software path, one row per SIMD lane: every lane
// walks the spans of its own row in face order, so each pixel sees the same
// depth tests in the same order as in the pixel-by-pixel fill, and the
// running normal of a span is the same serial chain. Every operation is the
// IEEE operation of the scalar lighting, in the same order and precision
// (float products, double sums rounded once, no fused multiply-add), so
// every target gives the same bits.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/shade_rows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/highway.h>

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "raster/shade_rows.h"

HWY_BEFORE_NAMESPACE();
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
#endif

HWY_INLINE Doubles add(const Doubles& a, const Doubles& b) {
    return apply([](VD x, VD y) { return hn::Add(x, y); }, a, b);
}
HWY_INLINE Doubles mul(const Doubles& a, const Doubles& b) {
    return apply([](VD x, VD y) { return hn::Mul(x, y); }, a, b);
}
HWY_INLINE Doubles broadcast(double value) {
    const VD v = hn::Set(DD(), value);
#if HWY_TARGET == HWY_SCALAR
    return Doubles{v};
#else
    return Doubles{v, v};
#endif
}

constexpr int kGroups = 2;  // two groups of lanes in flight hide latency
constexpr std::size_t kMaxLanes = HWY_LANES(float) * kGroups;

struct Vec3F {
    VF x, y, z;
};

HWY_INLINE void normalizeInPlace(Vec3F& v) {
    const DF df;
    const VF length =
        hn::Sqrt(hn::Add(hn::Add(hn::Mul(v.x, v.x), hn::Mul(v.y, v.y)), hn::Mul(v.z, v.z)));
    const VF k = hn::Div(hn::Set(df, 1.0f), length);
    v.x = hn::Mul(v.x, k);
    v.y = hn::Mul(v.y, k);
    v.z = hn::Mul(v.z, k);
}

// Float products, summed z + y + x in double, rounded to float once.
HWY_INLINE VF dot3(const Vec3F& a, const Vec3F& b) {
    const Doubles zz = widen(hn::Mul(a.z, b.z));
    const Doubles yy = widen(hn::Mul(a.y, b.y));
    const Doubles xx = widen(hn::Mul(a.x, b.x));
    return narrow(add(add(zz, yy), xx));
}

struct Vec4F {
    VF x, y, z, w;
};

// Row i of a double matrix times (x, y, z, w), summed left to right in
// double and rounded to float.
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

HWY_INLINE MF notFinite(VF v) {
    const DF df;
    return hn::Not(hn::Lt(hn::Abs(v), hn::Set(df, HUGE_VALF)));
}

// Per-lane state, one entry per lane of both groups.
struct LaneState {
    HWY_ALIGN std::int32_t active[kMaxLanes];
    HWY_ALIGN std::int32_t column[kMaxLanes];
    HWY_ALIGN std::int32_t endColumn[kMaxLanes];
    HWY_ALIGN std::int32_t rowBase[kMaxLanes];
    HWY_ALIGN std::int32_t shininess[kMaxLanes];
    HWY_ALIGN float rowDevice[kMaxLanes];
    HWY_ALIGN float rowUnprojected[kMaxLanes];
    HWY_ALIGN float depth[kMaxLanes];
    HWY_ALIGN float dzdx[kMaxLanes];
    HWY_ALIGN float normal[3][kMaxLanes];
    HWY_ALIGN float dNormal[3][kMaxLanes];
    HWY_ALIGN float diffuse[3][kMaxLanes];
    HWY_ALIGN float specular[3][kMaxLanes];
    HWY_ALIGN float ambient[3][kMaxLanes];
    std::uint32_t nextSpan[kMaxLanes];
    std::uint32_t rowEnd[kMaxLanes];
};

class RowWalker {
  public:
    RowWalker(const ShadeFrame& frame, int firstRow, int endRow, int part, int parts)
        : f_(frame),
          firstRow_(firstRow),
          nextRow_(firstRow),
          endRow_(endRow),
          part_(part),
          parts_(parts) {}

    void run() {
        const std::size_t lanes = hn::Lanes(DF());
        const std::size_t total = lanes * kGroups;
        for (std::size_t lane = 0; lane < total; ++lane) takeRow(lane);
        while (activeLanes_ > 0) {
            for (int group = 0; group < kGroups; ++group)
                step(static_cast<std::size_t>(group) * lanes);
        }
    }

  private:
    const ShadeFrame& f_;
    int firstRow_;
    int nextRow_;
    int endRow_;
    int part_;
    int parts_;
    std::size_t activeLanes_ = 0;
    LaneState s_ = {};

    void loadSpan(std::size_t lane) {
        const BinnedSpan& binned = f_.spans[s_.nextSpan[lane]++];
        const Span& span = binned.span;
        s_.column[lane] = span.startColumn;
        s_.endColumn[lane] = span.endColumn;
        s_.depth[lane] = span.depth;
        s_.dzdx[lane] = span.dzdx;
        s_.normal[0][lane] = span.normal.x;
        s_.normal[1][lane] = span.normal.y;
        s_.normal[2][lane] = span.normal.z;
        s_.dNormal[0][lane] = span.dNormal.x;
        s_.dNormal[1][lane] = span.dNormal.y;
        s_.dNormal[2][lane] = span.dNormal.z;
        const ObjectShading& object = f_.objects[binned.object];
        for (int c = 0; c < 3; ++c) {
            s_.diffuse[c][lane] = object.diffuse[c];
            s_.specular[c][lane] = object.specular[c];
            s_.ambient[c][lane] = object.ambient[c];
        }
        s_.shininess[lane] = object.shininess;
    }

    bool ours(int row) const { return (row - firstRow_) / kRowBlock % parts_ == part_; }

    // Gives the lane the next row of ours that has spans, or retires it.
    void takeRow(std::size_t lane) {
        while (nextRow_ < endRow_ &&
               (!ours(nextRow_) || f_.rowStart[nextRow_] == f_.rowStart[nextRow_ + 1]))
            ++nextRow_;
        if (nextRow_ >= endRow_) {
            s_.active[lane] = 0;
            s_.column[lane] = 0;
            s_.endColumn[lane] = 1;
            s_.rowBase[lane] = 0;
            return;
        }
        const int row = nextRow_++;
        if (s_.active[lane] == 0) ++activeLanes_;
        s_.active[lane] = -1;
        s_.rowBase[lane] = row * f_.width;
        s_.rowDevice[lane] = f_.rowDevice[row];
        s_.rowUnprojected[lane] = f_.rowUnprojected != nullptr ? f_.rowUnprojected[row] : 0.0f;
        s_.nextSpan[lane] = f_.rowStart[row];
        s_.rowEnd[lane] = f_.rowStart[row + 1];
        loadSpan(lane);
    }

    void finishSpan(std::size_t lane) {
        if (s_.nextSpan[lane] < s_.rowEnd[lane]) {
            loadSpan(lane);
            return;
        }
        --activeLanes_;
        s_.active[lane] = 0;
        takeRow(lane);
    }

    void step(std::size_t first) {
        const DF df;
        const DI di;
        const VI column = hn::Load(di, s_.column + first);
        const auto activeI = hn::Ne(hn::Load(di, s_.active + first), hn::Zero(di));
        const VI index =
            hn::IfThenElseZero(activeI, hn::Add(hn::Load(di, s_.rowBase + first), column));
        const VF stored = hn::GatherIndex(df, f_.depth, index);
        VF depth = hn::Load(df, s_.depth + first);
        const MF pass = hn::And(hn::RebindMask(df, activeI), hn::Lt(depth, stored));

        Vec3F normal{hn::Load(df, s_.normal[0] + first), hn::Load(df, s_.normal[1] + first),
                     hn::Load(df, s_.normal[2] + first)};
        if (!hn::AllFalse(df, pass)) {
            Vec3F unit = normal;
            VF r, g, b;
            shade(first, column, depth, unit, r, g, b);
            normal.x = hn::IfThenElse(pass, unit.x, normal.x);
            normal.y = hn::IfThenElse(pass, unit.y, normal.y);
            normal.z = hn::IfThenElse(pass, unit.z, normal.z);
            store(first, pass, index, depth, r, g, b);
        }

        depth = hn::Add(depth, hn::Load(df, s_.dzdx + first));
        hn::Store(depth, df, s_.depth + first);
        hn::Store(hn::Add(normal.x, hn::Load(df, s_.dNormal[0] + first)), df, s_.normal[0] + first);
        hn::Store(hn::Add(normal.y, hn::Load(df, s_.dNormal[1] + first)), df, s_.normal[1] + first);
        hn::Store(hn::Add(normal.z, hn::Load(df, s_.dNormal[2] + first)), df, s_.normal[2] + first);

        const VI next = hn::Add(column, hn::Set(di, 1));
        hn::Store(next, di, s_.column + first);
        const auto spanDone =
            hn::And(activeI, hn::Not(hn::Lt(next, hn::Load(di, s_.endColumn + first))));
        if (!hn::AllFalse(di, spanDone)) {
            const std::size_t lanes = hn::Lanes(df);
            for (std::size_t lane = first; lane < first + lanes; ++lane) {
                if (s_.active[lane] != 0 && s_.column[lane] >= s_.endColumn[lane]) finishSpan(lane);
            }
        }
    }

    HWY_INLINE void store(std::size_t first, MF pass, VI index, VF depth, VF r, VF g, VF b) {
        const DF df;
        const DI di;
        HWY_ALIGN std::int32_t passes[HWY_LANES(float)];
        HWY_ALIGN std::int32_t indices[HWY_LANES(float)];
        HWY_ALIGN float depths[HWY_LANES(float)];
        HWY_ALIGN float rgb[3][HWY_LANES(float)];
        hn::Store(hn::VecFromMask(di, hn::RebindMask(di, pass)), di, passes);
        hn::Store(index, di, indices);
        hn::Store(depth, df, depths);
        hn::Store(r, df, rgb[0]);
        hn::Store(g, df, rgb[1]);
        hn::Store(b, df, rgb[2]);
        const std::size_t lanes = hn::Lanes(df);
        (void)first;
        for (std::size_t lane = 0; lane < lanes; ++lane) {
            if (passes[lane] == 0) continue;
            const std::size_t i = static_cast<std::uint32_t>(indices[lane]);
            f_.depth[i] = depths[lane];
            f_.color[i] = Color(rgb[0][lane], rgb[1][lane], rgb[2][lane], 1.0f);
        }
    }

    // The world position of each lane's pixel: the device position through
    // the inverse projection and the inverse view, then divided by w.
    HWY_INLINE Vec3F worldPosition(std::size_t first, VI column, VF depth) const {
        const DF df;
        Vec4F p;
        if (!f_.reducedUnprojection || !reducedWorld(first, column, depth, p)) {
            const Vec4F device{hn::GatherIndex(df, f_.columnDevice, column),
                               hn::Load(df, s_.rowDevice + first), depth, hn::Set(df, 1.0f)};
            p = transform(f_.inverseView, transform(f_.inverseProjection, device));
        }
        const VF r = hn::Div(hn::Set(df, 1.0f), p.w);
        return Vec3F{hn::Mul(p.x, r), hn::Mul(p.y, r), hn::Mul(p.z, r)};
    }

    // The same product from the per-column and per-row parts of the inverse
    // projection; false (and nothing computed) when a lane's depth is not
    // finite or a part it relies on is zero or not finite, where the zero
    // terms of the full product could change a sign or give a NaN.
    HWY_INLINE bool reducedWorld(std::size_t first, VI column, VF depth, Vec4F& p) const {
        const DF df;
        const double* pi = f_.inverseProjection;
        const double* vi = f_.inverseView;
        const VF qx = hn::GatherIndex(df, f_.columnUnprojected, column);
        const VF qy = hn::Load(df, s_.rowUnprojected + first);
        const Doubles dz = widen(depth);
        const VF qz = narrow(add(mul(broadcast(pi[10]), dz), broadcast(pi[11])));
        const VF qw = narrow(add(mul(broadcast(pi[14]), dz), broadcast(pi[15])));
        MF unusable = hn::Or(notFinite(depth), hn::Or(notFinite(qx), notFinite(qy)));
        unusable = hn::Or(unusable, hn::Or(hn::Eq(qx, hn::Zero(df)), hn::Eq(qy, hn::Zero(df))));
        unusable = hn::Or(unusable, notFinite(qz));
        if (f_.affineView) unusable = hn::Or(unusable, hn::Eq(qw, hn::Zero(df)));
        if (!hn::AllFalse(df, unusable)) return false;

        const Doubles x = widen(qx), y = widen(qy), z = widen(qz), w = widen(qw);
        VF rows[3];
        for (int i = 0; i < 3; ++i) rows[i] = matrixRow(vi, i, x, y, z, w);
        const VF pw = f_.affineView ? qw : matrixRow(vi, 3, x, y, z, w);
        p = Vec4F{rows[0], rows[1], rows[2], pw};
        return true;
    }

    // The lit colour of each lane's pixel; `normal` comes back normalised.
    HWY_INLINE void shade(std::size_t first, VI column, VF depth, Vec3F& normal, VF& r, VF& g,
                          VF& b) {
        const DF df;
        const Vec3F position = worldPosition(first, column, depth);

        Vec3F view{hn::Sub(hn::Set(df, f_.eye[0]), position.x),
                   hn::Sub(hn::Set(df, f_.eye[1]), position.y),
                   hn::Sub(hn::Set(df, f_.eye[2]), position.z)};
        normalizeInPlace(view);
        normalizeInPlace(normal);

        const VF diffuse[3] = {hn::Load(df, s_.diffuse[0] + first),
                               hn::Load(df, s_.diffuse[1] + first),
                               hn::Load(df, s_.diffuse[2] + first)};
        const VF specular[3] = {hn::Load(df, s_.specular[0] + first),
                                hn::Load(df, s_.specular[1] + first),
                                hn::Load(df, s_.specular[2] + first)};
        const VI shininess = hn::Load(DI(), s_.shininess + first);

        VF sum[3] = {hn::Zero(df), hn::Zero(df), hn::Zero(df)};
        for (int i = 0; i < f_.lightCount; ++i) {
            const LightShading& light = f_.lights[i];
            Vec3F l{hn::Sub(hn::Set(df, light.position[0]), position.x),
                    hn::Sub(hn::Set(df, light.position[1]), position.y),
                    hn::Sub(hn::Set(df, light.position[2]), position.z)};
            normalizeInPlace(l);
            VF d = dot3(normal, l);
            d = hn::IfThenElse(hn::Lt(d, hn::Zero(df)), hn::Zero(df), d);
            Vec3F h{hn::Add(view.x, l.x), hn::Add(view.y, l.y), hn::Add(view.z, l.z)};
            normalizeInPlace(h);
            const VF f = integerPower(dot3(h, normal), shininess);
            for (int c = 0; c < 3; ++c) {
                sum[c] = hn::Add(sum[c],
                                 hn::Mul(hn::Add(hn::Mul(f, specular[c]), hn::Mul(d, diffuse[c])),
                                         hn::Set(df, light.color[c])));
            }
        }
        r = hn::Add(sum[0], hn::Load(df, s_.ambient[0] + first));
        g = hn::Add(sum[1], hn::Load(df, s_.ambient[1] + first));
        b = hn::Add(sum[2], hn::Load(df, s_.ambient[2] + first));
    }

    // s to each lane's signed integer power by repeated squaring; powerSteps
    // covers the longest exponent, and squarings past a lane's last bit do not
    // reach its result.
    HWY_INLINE VF integerPower(VF s, VI exponent) const {
        const DF df;
        const DU du;
        const DI di;
        const auto negative = hn::Lt(exponent, hn::Zero(di));
        const auto bits = hn::BitCast(du, exponent);
        auto m = hn::IfThenElse(hn::RebindMask(du, negative), hn::Sub(hn::Zero(du), bits), bits);
        VF f = hn::Set(df, 1.0f);
        VF base = s;
        for (int i = 0; i < f_.powerSteps; ++i) {
            const auto bit = hn::Ne(hn::And(m, hn::Set(du, 1u)), hn::Zero(du));
            f = hn::IfThenElse(hn::RebindMask(df, bit), hn::Mul(f, base), f);
            base = hn::Mul(base, base);
            m = hn::ShiftRight<1>(m);
        }
        return hn::IfThenElse(hn::RebindMask(df, negative), hn::Div(hn::Set(df, 1.0f), f), f);
    }
};

void ShadeRows(const ShadeFrame& frame, int firstRow, int endRow, int part, int parts) {
    RowWalker walker(frame, firstRow, endRow, part, parts);
    walker.run();
}

}  // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE

HWY_EXPORT(ShadeRows);

void shadeRows(const ShadeFrame& frame, int firstRow, int endRow, int part, int parts) {
    if (firstRow >= endRow || parts < 1 || part < 0 || part >= parts) return;
    HWY_DYNAMIC_DISPATCH(ShadeRows)(frame, firstRow, endRow, part, parts);
}

std::vector<std::int64_t> availableSimdTargets() {
    return hwy::SupportedAndGeneratedTargets();
}

const char* simdTargetName(std::int64_t target) {
    return hwy::TargetName(target);
}

void restrictSimdTarget(std::int64_t target) {
    hwy::SetSupportedTargetsForTest(target);
}

#endif  // HWY_ONCE
