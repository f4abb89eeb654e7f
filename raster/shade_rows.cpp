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

#include <cstddef>
#include <cstdint>

#include "raster/shade_rows.h"

HWY_BEFORE_NAMESPACE();
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

// Float lanes as many as double lanes, so the double sums need no halves.
using DD = hn::ScalableTag<double>;
using DF = hn::Rebind<float, DD>;
using DI = hn::Rebind<std::int32_t, DD>;
using DU = hn::Rebind<std::uint32_t, DD>;
using VD = hn::Vec<DD>;
using VF = hn::Vec<DF>;
using VI = hn::Vec<DI>;
using MF = hn::Mask<DF>;

constexpr int kGroups = 2;  // two groups of lanes in flight hide latency
constexpr std::size_t kMaxLanes = HWY_LANES(double) * kGroups;

struct Vec3F {
    VF x, y, z;
};

VF normalizeInPlace(Vec3F& v) {
    const DF df;
    const VF length =
        hn::Sqrt(hn::Add(hn::Add(hn::Mul(v.x, v.x), hn::Mul(v.y, v.y)), hn::Mul(v.z, v.z)));
    const VF k = hn::Div(hn::Set(df, 1.0f), length);
    v.x = hn::Mul(v.x, k);
    v.y = hn::Mul(v.y, k);
    v.z = hn::Mul(v.z, k);
    return k;
}

// Float products, summed z + y + x in double, rounded to float once.
VF dot3(const Vec3F& a, const Vec3F& b) {
    const DD dd;
    const DF df;
    const VD zz = hn::PromoteTo(dd, hn::Mul(a.z, b.z));
    const VD yy = hn::PromoteTo(dd, hn::Mul(a.y, b.y));
    const VD xx = hn::PromoteTo(dd, hn::Mul(a.x, b.x));
    return hn::DemoteTo(df, hn::Add(hn::Add(zz, yy), xx));
}

// Row i of a double matrix times (x, y, z, w), summed left to right in
// double and rounded to float.
VF matrixRow(const double* m, int i, VD x, VD y, VD z, VD w) {
    const DD dd;
    const DF df;
    const VD sum = hn::Add(
        hn::Add(hn::Add(hn::Mul(hn::Set(dd, m[4 * i]), x), hn::Mul(hn::Set(dd, m[4 * i + 1]), y)),
                hn::Mul(hn::Set(dd, m[4 * i + 2]), z)),
        hn::Mul(hn::Set(dd, m[4 * i + 3]), w));
    return hn::DemoteTo(df, sum);
}

struct Vec4F {
    VF x, y, z, w;
};

Vec4F transform(const double* m, const Vec4F& v) {
    const DD dd;
    const VD x = hn::PromoteTo(dd, v.x), y = hn::PromoteTo(dd, v.y);
    const VD z = hn::PromoteTo(dd, v.z), w = hn::PromoteTo(dd, v.w);
    return Vec4F{matrixRow(m, 0, x, y, z, w), matrixRow(m, 1, x, y, z, w),
                 matrixRow(m, 2, x, y, z, w), matrixRow(m, 3, x, y, z, w)};
}

// Per-lane state, one entry per lane of both groups.
struct LaneState {
    HWY_ALIGN std::int32_t active[kMaxLanes];
    HWY_ALIGN std::int32_t column[kMaxLanes];
    HWY_ALIGN std::int32_t endColumn[kMaxLanes];
    HWY_ALIGN std::int32_t rowBase[kMaxLanes];
    HWY_ALIGN std::int32_t shininess[kMaxLanes];
    HWY_ALIGN float rowDevice[kMaxLanes];
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
    RowWalker(const ShadeFrame& frame, int firstRow, int endRow)
        : f_(frame), nextRow_(firstRow), endRow_(endRow) {}

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
    int nextRow_;
    int endRow_;
    std::size_t activeLanes_ = 0;
    LaneState s_ = {};

    void loadSpan(std::size_t lane) {
        const Span& span = f_.spans[s_.nextSpan[lane]++];
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
        const ObjectShading& object = f_.objects[span.object];
        for (int c = 0; c < 3; ++c) {
            s_.diffuse[c][lane] = object.diffuse[c];
            s_.specular[c][lane] = object.specular[c];
            s_.ambient[c][lane] = object.ambient[c];
        }
        s_.shininess[lane] = object.shininess;
    }

    // Gives the lane the next row that has spans, or retires it.
    void takeRow(std::size_t lane) {
        while (nextRow_ < endRow_ && f_.rowStart[nextRow_] == f_.rowStart[nextRow_ + 1]) ++nextRow_;
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

    void store(std::size_t first, MF pass, VI index, VF depth, VF r, VF g, VF b) {
        const DF df;
        const DI di;
        HWY_ALIGN std::int32_t passes[HWY_LANES(double)];
        HWY_ALIGN std::int32_t indices[HWY_LANES(double)];
        HWY_ALIGN float depths[HWY_LANES(double)];
        HWY_ALIGN float rgb[3][HWY_LANES(double)];
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

    // The lit colour of each lane's pixel; `normal` comes back normalised.
    void shade(std::size_t first, VI column, VF depth, Vec3F& normal, VF& r, VF& g, VF& b) {
        const DF df;
        const Vec4F device{hn::GatherIndex(df, f_.columnDevice, column),
                           hn::Load(df, s_.rowDevice + first), depth, hn::Set(df, 1.0f)};
        const Vec4F q = transform(f_.inverseProjection, device);
        const Vec4F p = transform(f_.inverseView, q);
        const VF w = hn::Div(hn::Set(df, 1.0f), p.w);
        const Vec3F position{hn::Mul(p.x, w), hn::Mul(p.y, w), hn::Mul(p.z, w)};

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
    VF integerPower(VF s, VI exponent) const {
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

void ShadeRows(const ShadeFrame& frame, int firstRow, int endRow) {
    RowWalker walker(frame, firstRow, endRow);
    walker.run();
}

}  // namespace HWY_NAMESPACE
HWY_AFTER_NAMESPACE();

#if HWY_ONCE

HWY_EXPORT(ShadeRows);

void shadeRows(const ShadeFrame& frame, int firstRow, int endRow) {
    if (firstRow >= endRow) return;
    HWY_DYNAMIC_DISPATCH(ShadeRows)(frame, firstRow, endRow);
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
