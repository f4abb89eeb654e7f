// The fast counterpart of forEachSpanPair (active_edges.h): the same rows,
// the same active edge list in the same order before every sort, the same
// pairs with the same bits, but each edge's truncated start and end rows are
// worked out once per face instead of once per row, the edges enter from a
// list ordered by start row instead of a scan of every edge on every row,
// rows on which no edge is active are skipped, and a pair of edges runs on
// without the list's bookkeeping until an edge leaves or enters.
#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

#include "raster/plain/active_edges.h"
#include "raster/plain/scan_edge.h"
#include "raster/plain/truncate_to_int.h"

// Working storage of forEachSpanPairFast, kept from face to face; its
// contents on entry do not matter.
struct ActiveEdgeScratch {
    struct Pending {
        int startRow;
        int endRow;
        std::size_t index;  // into the face's edges
    };
    struct Active {
        ScanEdge edge;
        int endRow;
    };
    std::vector<Pending> pending;  // by start row, list order within a row
    std::vector<Active> active;    // room for every edge; the walk keeps the count
};

// One row up an edge, as forEachSpanPair advances it.
inline void advanceOneRow(ScanEdge& edge) {
    edge.x = edge.x + edge.dxdy;
    edge.z = edge.z + edge.dzdy;
    edge.normal.x = edge.normal.x + edge.dNormal.x;
    edge.normal.y = edge.normal.y + edge.dNormal.y;
    edge.normal.z = edge.normal.z + edge.dNormal.z;
}

template <typename SpanVisitor>
void forEachSpanPairFast(const std::vector<ScanEdge>& edges, int height, ActiveEdgeScratch& scratch,
                         SpanVisitor&& span) {
    std::vector<ActiveEdgeScratch::Pending>& pending = scratch.pending;
    pending.clear();
    int firstRow = 9999999;
    int lastRow = 0;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        const int startRow = truncateToInt(edges[i].yStart);
        const int endRow = truncateToInt(edges[i].yEnd);
        firstRow = std::min(firstRow, startRow);
        lastRow = std::max(lastRow, endRow);
        // Insertion by start row, after every edge with the same start: the
        // order in which forEachSpanPair's scan of the list enters them.
        std::size_t at = pending.size();
        pending.push_back({});
        for (; at > 0 && pending[at - 1].startRow > startRow; --at) pending[at] = pending[at - 1];
        pending[at] = {startRow, endRow, i};
    }
    const long long topRow = static_cast<long long>(height) - 1;
    if (lastRow > topRow) lastRow = static_cast<int>(std::max<long long>(topRow, INT_MIN));
    if (firstRow < 0) firstRow = 0;

    // At most every edge is active at once; a raw array and a count in
    // registers keep the row loop's bookkeeping off memory.
    if (scratch.active.size() < edges.size()) scratch.active.resize(edges.size());
    ActiveEdgeScratch::Active* const active = scratch.active.data();
    const ActiveEdgeScratch::Pending* const entering = pending.data();
    const std::size_t edgeCount = pending.size();
    std::size_t count = 0;
    std::size_t next = 0;
    int nextStart = edgeCount != 0 ? entering[0].startRow : INT_MAX;
    const auto lessActive = [](const ActiveEdgeScratch::Active& a,
                               const ActiveEdgeScratch::Active& b) {
        return lessX(a.edge, b.edge);
    };
    for (int y = firstRow; y <= lastRow;) {
        // Retire the edges that end at or below this row, keeping the order.
        std::size_t kept = 0;
        for (std::size_t i = 0; i < count; ++i) {
            if (active[i].endRow <= y) continue;
            if (kept != i) active[kept] = active[i];
            ++kept;
        }
        count = kept;

        for (std::size_t i = 0; i < count; ++i) advanceOneRow(active[i].edge);

        // Edges starting below the first row never enter.
        if (nextStart <= y) {
            while (next < edgeCount && entering[next].startRow < y) ++next;
            // Assigned whole: a braced pair would copy the edge one field at
            // a time.
            for (; next < edgeCount && entering[next].startRow == y; ++next, ++count) {
                active[count].edge = edges[entering[next].index];
                active[count].endRow = entering[next].endRow;
            }
            nextStart = next < edgeCount ? entering[next].startRow : INT_MAX;
        }

        if (count == 2) {
            // What std::sort does with two entries: swap them if the second
            // is less.
            if (lessX(active[1].edge, active[0].edge)) std::swap(active[0], active[1]);
        } else {
            bool ascending = true;
            for (std::size_t i = 1; i < count && ascending; ++i)
                ascending = lessX(active[i - 1].edge, active[i].edge);
            if (!ascending) std::sort(active, active + count, lessActive);
        }

        // With exactly two edges, the rows up to the next one on which an
        // edge leaves or enters need only the advance and the order of the
        // pair.
        const int runEnd =
            count == 2 ? std::min({active[0].endRow, active[1].endRow, nextStart, lastRow + 1})
                       : y + 1;
        for (;;) {
            for (std::size_t i = 0; i + 1 < count; i += 2)
                span(active[i].edge, active[i + 1].edge, y);
            if (y + 1 >= runEnd) break;
            ++y;
            advanceOneRow(active[0].edge);
            advanceOneRow(active[1].edge);
            if (lessX(active[1].edge, active[0].edge)) std::swap(active[0], active[1]);
        }

        if (count != 0) {
            ++y;
        } else if (nextStart != INT_MAX) {
            y = std::max(y + 1, nextStart);
        } else {
            break;
        }
    }
}
