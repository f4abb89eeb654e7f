// fillSpan (fill_span.cpp) on SIMD lanes, one row per lane: every lane
// walks the spans of its own row in face order, column by column, so each
// pixel sees the same depth tests in the same order as in fillSpan, and the
// running depth and normal of a span are the same serial chains of float
// additions (the normal continuing from its normalised value after a pixel
// that passed).
//
// The lighting comes after the walk, row by row (shadeRecordedRow in
// shade_pixel_fast-inl.h): of the fragments that pass at a pixel only the
// last one's colour stays, so a passing fragment leaves a record in the
// pixel's colour instead, for the lighting to read: its normalised normal in
// r, g and b, and in a the bits of ~object, a negative integer (a colour's
// alpha, 1.0f, has positive bits). Its depth is the one stored.
#undef HWY_TARGET_INCLUDE
#define HWY_TARGET_INCLUDE "raster/fast/shade_rows.cpp"
#include <hwy/foreach_target.h>  // IWYU pragma: keep

#include <hwy/cache_control.h>
#include <hwy/highway.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>

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
    HWY_ALIGN std::int32_t record[kMaxLanes];  // ~object of the span's face
    HWY_ALIGN float depth[kMaxLanes];
    HWY_ALIGN float dzdx[kMaxLanes];
    HWY_ALIGN float normal[3][kMaxLanes];
    HWY_ALIGN float dNormal[3][kMaxLanes];
    std::uint32_t nextSpan[kMaxLanes];
    std::uint32_t rowEnd[kMaxLanes];
};

class RowWalker {
  public:
    RowWalker(const SpanFillJob& job, int firstRow, int endRow, int part, int parts)
        : job_(job),
          firstRow_(firstRow),
          scanRow_(firstRow),
          endRow_(endRow),
          part_(part),
          parts_(parts) {}

    // A chunk of rows at a time: the span walk over all of them, then the
    // lighting of what it recorded, while the rows are in cache.
    void run() {
        const std::size_t lanes = hn::Lanes(DF());
        const std::size_t total = lanes * kGroups;
        while (nextChunk()) {
            for (std::size_t lane = 0; lane < total; ++lane) takeRow(lane);
            while (activeLanes_ > 0) {
                for (int group = 0; group < kGroups; ++group)
                    step(static_cast<std::size_t>(group) * lanes);
            }
            for (std::size_t i = 0; i < chunkSize_; ++i) {
                const RowWork& row = rowOrder_[i];
                shadeRecordedRow(job_, *job_.lighting, row.row, row.first, row.end);
            }
        }
    }

  private:
    struct RowWork {
        int row;
        long pixels;     // in all of the row's spans
        int first, end;  // the columns the row's spans cover
    };
    static constexpr std::size_t kChunkRows = 256;
    // A chunk holds about this many pixels at most, so that its records and
    // depths are still in cache for the lighting.
    static constexpr long kChunkPixels = 1L << 15;

    const SpanFillJob job_;  // a copy: its fields then sit beside the lane state
    int firstRow_;
    int scanRow_;  // the first row not yet in a chunk
    int endRow_;
    int part_;
    int parts_;
    RowWork chunk_[kChunkRows];     // the rows to take next, longest first
    RowWork rowOrder_[kChunkRows];  // the same rows from the bottom up
    std::size_t chunkSize_ = 0;
    std::size_t chunkNext_ = 0;
    std::size_t activeLanes_ = 0;
    LaneState s_ = {};

    void loadSpan(std::size_t lane) {
        const BinnedSpan& binned = job_.spans[s_.nextSpan[lane]++];
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
        s_.record[lane] = ~binned.object;

        // Each lane runs along a row of its own, more streams than the
        // processor's prefetcher follows: unless the rows are in cache
        // already, the span's depths and colours are asked for now, to be
        // there by the time the lane reaches them.
        if (!job_.prefetchSpans) return;
        const std::size_t first = static_cast<std::size_t>(s_.rowBase[lane] + span.startColumn);
        const std::size_t end = static_cast<std::size_t>(s_.rowBase[lane] + span.endColumn);
        prefetch(job_.depth + first, job_.depth + end);
        prefetch(job_.color + first, job_.color + end);
    }

    template <typename T>
    static void prefetch(const T* begin, const T* end) {
        constexpr std::uintptr_t kLine = 64;
        const std::uintptr_t last = reinterpret_cast<std::uintptr_t>(end) - 1;
        for (std::uintptr_t at = reinterpret_cast<std::uintptr_t>(begin) & ~(kLine - 1); at <= last;
             at += kLine)
            hwy::Prefetch(reinterpret_cast<const std::uint8_t*>(at));
    }

    // The next rows of ours that have spans, up to a chunk of them; false
    // when there are none. The walk takes them longest first: the lanes then
    // run out of work together at the end instead of a few lanes finishing
    // long rows alone. Rows are independent of each other, so the order
    // changes no pixel.
    bool nextChunk() {
        chunkSize_ = 0;
        chunkNext_ = 0;
        long chunkPixels = 0;
        for (; scanRow_ < endRow_ && chunkSize_ < kChunkRows && chunkPixels < kChunkPixels;
             ++scanRow_) {
            if ((scanRow_ - firstRow_) / kRowBlock % parts_ != part_) continue;
            RowWork work{scanRow_, 0, job_.width, 0};
            for (std::uint32_t i = job_.rowStart[scanRow_]; i < job_.rowStart[scanRow_ + 1]; ++i) {
                const Span& span = job_.spans[i].span;
                work.pixels += span.endColumn - span.startColumn;
                work.first = std::min(work.first, span.startColumn);
                work.end = std::max(work.end, span.endColumn);
            }
            if (work.pixels == 0) continue;
            rowOrder_[chunkSize_++] = work;
            chunkPixels += work.pixels;
        }
        std::copy(rowOrder_, rowOrder_ + chunkSize_, chunk_);
        std::sort(chunk_, chunk_ + chunkSize_, [](const RowWork& a, const RowWork& b) {
            return a.pixels > b.pixels || (a.pixels == b.pixels && a.row < b.row);
        });
        return chunkSize_ > 0;
    }

    // Gives the lane the chunk's next row, or retires it.
    void takeRow(std::size_t lane) {
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
        s_.rowBase[lane] = row * job_.width;
        s_.nextSpan[lane] = job_.rowStart[row];
        s_.rowEnd[lane] = job_.rowStart[row + 1];
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
    // test, and for the lanes that pass the stored depth, the normalised
    // normal and the fragment's record; then the step to the next column.
    HWY_INLINE void step(std::size_t first) {
        const DF df;
        const DI di;
        const VI column = hn::Load(di, s_.column + first);
        const auto activeI = hn::Ne(hn::Load(di, s_.active + first), hn::Zero(di));
        const VI index =
            hn::IfThenElseZero(activeI, hn::Add(hn::Load(di, s_.rowBase + first), column));
        const VF stored = hn::GatherIndex(df, job_.depth, index);
        VF depth = hn::Load(df, s_.depth + first);
        const MF pass = hn::And(hn::RebindMask(df, activeI), hn::Lt(depth, stored));

        Vec3F normal{hn::Load(df, s_.normal[0] + first), hn::Load(df, s_.normal[1] + first),
                     hn::Load(df, s_.normal[2] + first)};
        if (!hn::AllFalse(df, pass)) {
            Vec3F unit = normal;
            normalizeInPlace(unit);
            normal.x = hn::IfThenElse(pass, unit.x, normal.x);
            normal.y = hn::IfThenElse(pass, unit.y, normal.y);
            normal.z = hn::IfThenElse(pass, unit.z, normal.z);
            store(pass, index, depth, unit, hn::Load(di, s_.record + first));
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

    // The passing lanes' depth and record into the buffers. The four
    // channels are transposed in registers into one record per lane, so
    // each passing lane costs one 16-byte copy.
    HWY_INLINE void store(MF pass, VI index, VF depth, const Vec3F& normal, VI record) {
        const DF df;
        HWY_ALIGN std::int32_t indices[HWY_LANES(float)];
        HWY_ALIGN float depths[HWY_LANES(float)];
        HWY_ALIGN float records[4 * HWY_LANES(float)];
        hn::Store(index, DI(), indices);
        hn::Store(depth, df, depths);
        hn::StoreInterleaved4(normal.x, normal.y, normal.z, hn::BitCast(df, record), df, records);
        // The buffers' addresses in registers: the copies below could
        // otherwise write over them as far as the compiler knows.
        float* const depthBuffer = job_.depth;
        Color* const colorBuffer = job_.color;
        const auto storeLane = [&](std::size_t lane) {
            const std::size_t i = static_cast<std::uint32_t>(indices[lane]);
            depthBuffer[i] = depths[lane];
            std::memcpy(static_cast<void*>(colorBuffer + i), records + 4 * lane, sizeof(Color));
        };
        if (hn::AllTrue(df, pass)) {
            // Most steps: every lane passes, and the copies need no lane search.
#pragma GCC unroll 16
            for (std::size_t lane = 0; lane < HWY_LANES(float); ++lane) storeLane(lane);
            return;
        }
        for (std::uint64_t bits = laneBits(pass); bits != 0; bits &= bits - 1)
            storeLane(static_cast<std::size_t>(__builtin_ctzll(bits)));
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

void ShadeRows(const SpanFillJob& job, int firstRow, int endRow, int part, int parts) {
    RowWalker walker(job, firstRow, endRow, part, parts);
    walker.run();
}

}  // namespace HWY_NAMESPACE
}  // namespace rw
HWY_AFTER_NAMESPACE();

#if HWY_ONCE
namespace rw {

HWY_EXPORT(ShadeRows);

void shadeRows(const SpanFillJob& job, int firstRow, int endRow, int part, int parts) {
    if (firstRow >= endRow || parts < 1 || part < 0 || part >= parts || job.shading == nullptr ||
        job.lighting == nullptr)
        return;
    HWY_DYNAMIC_DISPATCH(ShadeRows)(job, firstRow, endRow, part, parts);
}

}  // namespace rw
#endif  // HWY_ONCE
