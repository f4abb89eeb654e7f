// fillSpan (fill_span.cpp) on SIMD lanes, one row per lane: every lane
// walks the spans of its own row in face order, column by column, so each
// pixel sees the same depth tests in the same order as in fillSpan, and the
// running depth and normal of a span are the same serial chains of float
// additions (the normal continuing from its normalised value after a pixel
// that passed). The lighting is shadePixel's, in shade_pixel_fast-inl.h.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/fast/shade_rows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/cache_control.h>
#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>

#include "raster/fast/lane_math-inl.h"
#include "raster/fast/shade_pixel_fast-inl.h"
#include "raster/fast/shade_rows.h"

HWY_BEFORE_NAMESPACE();
namespace rw {
namespace HWY_NAMESPACE {
namespace hn = hwy::HWY_NAMESPACE;

constexpr int kGroups = 2;  // two groups of lanes in flight hide latency
constexpr std::size_t kMaxLanes = HWY_LANES(float) * kGroups;

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
    int object[kMaxLanes];  // whose material the lane holds; -1: none yet
    std::uint32_t nextSpan[kMaxLanes];
    std::uint32_t rowEnd[kMaxLanes];
};

class RowWalker {
  public:
    RowWalker(const SpanFillJob& frame, int firstRow, int endRow, int part, int parts)
        : f_(frame),
          firstRow_(firstRow),
          scanRow_(firstRow),
          endRow_(endRow),
          part_(part),
          parts_(parts) {
        std::fill(std::begin(s_.object), std::end(s_.object), -1);
    }

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
    struct RowWork {
        int row;
        long pixels;  // in all of the row's spans
    };
    static constexpr std::size_t kChunkRows = 256;

    const SpanFillJob& f_;
    int firstRow_;
    int scanRow_;  // the first row not yet in a chunk
    int endRow_;
    int part_;
    int parts_;
    RowWork chunk_[kChunkRows];  // the rows to take next, longest first
    std::size_t chunkSize_ = 0;
    std::size_t chunkNext_ = 0;
    std::size_t activeLanes_ = 0;
    LaneState s_ = {};

    static void setLane(float (&channels)[3][kMaxLanes], std::size_t lane, const Color& color) {
        channels[0][lane] = color.r;
        channels[1][lane] = color.g;
        channels[2][lane] = color.b;
    }

    // The lane's material; a row's spans often share it.
    void setMaterial(std::size_t lane, int object) {
        const MaterialShading& material = f_.shading->materials[static_cast<std::size_t>(object)];
        setLane(s_.diffuse, lane, material.diffuse);
        setLane(s_.specular, lane, material.specular);
        setLane(s_.ambient, lane, material.ambient);
        s_.shininess[lane] = material.shininess;
        s_.object[lane] = object;
    }

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
        if (binned.object != s_.object[lane]) setMaterial(lane, binned.object);

        // Each lane runs along a row of its own, more streams than the
        // processor's prefetcher follows: unless the rows are in cache
        // already, the span's depths and colours are asked for now, to be
        // there by the time the lane reaches them.
        if (!f_.prefetchSpans) return;
        const std::size_t first = static_cast<std::size_t>(s_.rowBase[lane] + span.startColumn);
        const std::size_t end = static_cast<std::size_t>(s_.rowBase[lane] + span.endColumn);
        prefetch(f_.depth + first, f_.depth + end);
        prefetch(f_.color + first, f_.color + end);
    }

    template <typename T>
    static void prefetch(const T* begin, const T* end) {
        constexpr std::uintptr_t kLine = 64;
        const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(end) - 1;
        for (std::uintptr_t at = reinterpret_cast<std::uintptr_t>(begin) & ~(kLine - 1); at <= last;
             at += kLine)
            hwy::Prefetch(reinterpret_cast<const std::uint8_t*>(at));
    }

    // The next rows of ours that have spans, up to a chunk of them, longest
    // first: the lanes then run out of work together at the end instead of
    // a few lanes finishing long rows alone. Rows are independent of each
    // other, so the order changes no pixel.
    void nextChunk() {
        chunkSize_ = 0;
        chunkNext_ = 0;
        for (; scanRow_ < endRow_ && chunkSize_ < kChunkRows; ++scanRow_) {
            if ((scanRow_ - firstRow_) / kRowBlock % parts_ != part_) continue;
            long pixels = 0;
            for (std::uint32_t i = f_.rowStart[scanRow_]; i < f_.rowStart[scanRow_ + 1]; ++i)
                pixels += f_.spans[i].span.endColumn - f_.spans[i].span.startColumn;
            if (pixels > 0) chunk_[chunkSize_++] = RowWork{scanRow_, pixels};
        }
        std::sort(chunk_, chunk_ + chunkSize_, [](const RowWork& a, const RowWork& b) {
            return a.pixels > b.pixels || (a.pixels == b.pixels && a.row < b.row);
        });
    }

    // Gives the lane the next row, or retires it.
    void takeRow(std::size_t lane) {
        if (chunkNext_ >= chunkSize_) nextChunk();
        if (chunkNext_ >= chunkSize_) {
            s_.active[lane] = 0;
            s_.column[lane] = 0;
            s_.endColumn[lane] = 1;
            s_.rowBase[lane] = 0;
            return;
        }
        const int row = chunk_[chunkNext_++].row;
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

    // One column of every lane of the group starting at `first`: the depth
    // test, lighting and stores for the lanes that pass, then the step to
    // the next column.
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
            const PixelLanes pixels{column, s_.rowDevice + first, s_.rowUnprojected + first, depth};
            Vec3F unit = normal;
            const ColorLanes rgb = shadePixelLanes(f_, pixels, material(first), unit);
            normal.x = hn::IfThenElse(pass, unit.x, normal.x);
            normal.y = hn::IfThenElse(pass, unit.y, normal.y);
            normal.z = hn::IfThenElse(pass, unit.z, normal.z);
            store(pass, index, depth, rgb);
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
        for (std::uint64_t bits = laneBits(hn::RebindMask(df, spanDone)); bits != 0;
             bits &= bits - 1)
            finishSpan(first + static_cast<std::size_t>(__builtin_ctzll(bits)));
    }

    HWY_INLINE ColorLanes colorLanes(const float (&channels)[3][kMaxLanes],
                                     std::size_t first) const {
        const DF df;
        return ColorLanes{hn::Load(df, channels[0] + first), hn::Load(df, channels[1] + first),
                          hn::Load(df, channels[2] + first)};
    }

    HWY_INLINE MaterialLanes material(std::size_t first) const {
        return MaterialLanes{colorLanes(s_.diffuse, first), colorLanes(s_.specular, first),
                             colorLanes(s_.ambient, first), hn::Load(DI(), s_.shininess + first)};
    }

    // The passing lanes' depth and colour (alpha 1) into the buffers. The
    // four channels are transposed in registers into one Color per lane, so
    // each passing lane costs one 16-byte copy.
    HWY_INLINE void store(MF pass, VI index, VF depth, const ColorLanes& rgb) {
        const DF df;
        HWY_ALIGN std::int32_t indices[HWY_LANES(float)];
        HWY_ALIGN float depths[HWY_LANES(float)];
        HWY_ALIGN float colors[4 * HWY_LANES(float)];
        hn::Store(index, DI(), indices);
        hn::Store(depth, df, depths);
        hn::StoreInterleaved4(rgb.r, rgb.g, rgb.b, hn::Set(df, 1.0f), df, colors);
        if (hn::AllTrue(df, pass)) {
            // Most steps: every lane passes, and the copies need no lane search.
            for (std::size_t lane = 0; lane < HWY_LANES(float); ++lane)
                storeLane(lane, indices, depths, colors);
            return;
        }
        for (std::uint64_t bits = laneBits(pass); bits != 0; bits &= bits - 1)
            storeLane(static_cast<std::size_t>(__builtin_ctzll(bits)), indices, depths, colors);
    }

    HWY_INLINE void storeLane(std::size_t lane, const std::int32_t* indices, const float* depths,
                              const float* colors) {
        const std::size_t i = static_cast<std::uint32_t>(indices[lane]);
        f_.depth[i] = depths[lane];
        std::memcpy(static_cast<void*>(&f_.color[i]), colors + 4 * lane, sizeof(Color));
    }

    // One bit per lane, lane 0 lowest.
    static HWY_INLINE std::uint64_t laneBits(MF mask) {
        std::uint8_t bytes[8] = {};
        hn::StoreMaskBits(DF(), mask, bytes);
        std::uint64_t bits;
        std::memcpy(&bits, bytes, sizeof(bits));
        return bits;
    }
};

void ShadeRows(const SpanFillJob& frame, int firstRow, int endRow, int part, int parts) {
    RowWalker walker(frame, firstRow, endRow, part, parts);
    walker.run();
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace rw {

HWY_EXPORT(ShadeRows);

void shadeRows(const SpanFillJob& frame, int firstRow, int endRow, int part, int parts) {
    if (firstRow >= endRow || parts < 1 || part < 0 || part >= parts) return;
    HWY_DYNAMIC_DISPATCH(ShadeRows)(frame, firstRow, endRow, part, parts);
}

}  // namespace rw
#endif  // HWY_ONCE
