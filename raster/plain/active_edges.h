#pragma once

#include <algorithm>
#include <climits>
#include <cstddef>
#include <vector>

#include "raster/plain/scan_edge.h"
#include "raster/plain/truncate_to_int.h"

// Strict less-than on x. A NaN x counts as greater than every number (and
// equal to another NaN) so the order stays a strict weak order, which
// std::sort needs to stay inside the list; for numbers it is plain x < x.
inline bool lessX(const ScanEdge& a, const ScanEdge& b) {
    return a.x < b.x || (b.x != b.x && a.x == a.x);
}

// Whether every edge's x is strictly below the next one's: a list that any
// sort by lessX would leave exactly as it is, since no two entries tie.
inline bool strictlyAscendingX(const std::vector<ScanEdge>& edges) {
    for (std::size_t i = 1; i < edges.size(); ++i) {
        if (!lessX(edges[i - 1], edges[i])) return false;
    }
    return true;
}

// The rows a face's row walk visits, first..last (none when first > last):
// from the lowest truncated yStart to the highest truncated yEnd, cut to the
// window.
struct WalkedRows {
    int first = 0;
    int last = -1;
};

inline WalkedRows walkedRows(const std::vector<ScanEdge>& edges, int height) {
    int firstRow = 9999999;
    int lastRow = 0;
    for (const ScanEdge& edge : edges) {
        firstRow = std::min(firstRow, truncateToInt(edge.yStart));
        lastRow = std::max(lastRow, truncateToInt(edge.yEnd));
    }
    // height - 1 in a wider type: no overflow for any height.
    const long long topRow = static_cast<long long>(height) - 1;
    if (lastRow > topRow) lastRow = static_cast<int>(std::max<long long>(topRow, INT_MIN));
    if (firstRow < 0) firstRow = 0;
    return WalkedRows{firstRow, lastRow};
}

// Scan conversion's row walk. Walks a face's rows from bottom to top with an
// active edge list and calls row(y, active) on every row with the active
// edges sorted by x. An edge covers the rows from its truncated yStart to its
// truncated yEnd - 1, so at a vertex one edge retires on the row where the
// next enters. `active` is working storage; its contents on entry do not
// matter. The walk stops after row `lastRow`, for a caller that looks at no
// row above it: every row up to there is walked as in the whole walk, since
// each row's edges come from the row below.
template <typename RowVisitor>
void forEachActiveRow(const std::vector<ScanEdge>& edges, int height, std::vector<ScanEdge>& active,
                      RowVisitor&& row, int lastRow = INT_MAX) {
    const WalkedRows rows = walkedRows(edges, height);
    active.clear();
    const int last = std::min(rows.last, lastRow);
    for (int y = rows.first; y <= last; ++y) {
        // Retire the edges that end at or below this row.
        for (ScanEdge& edge : active) {
            if (truncateToInt(edge.yEnd) <= y) edge.finished = true;
        }
        active.erase(std::remove_if(active.begin(), active.end(),
                                    [](const ScanEdge& edge) { return edge.finished; }),
                     active.end());

        // Advance the rest one row: x, depth and normal are linear in screen
        // space (not perspective-correct), one float addition per row.
        for (ScanEdge& edge : active) {
            edge.x = edge.x + edge.dxdy;
            edge.z = edge.z + edge.dzdy;
            edge.normal.x = edge.normal.x + edge.dNormal.x;
            edge.normal.y = edge.normal.y + edge.dNormal.y;
            edge.normal.z = edge.normal.z + edge.dNormal.z;
        }

        // Enter the edges that start on this row, with their values at yStart
        // (not moved to y: each edge is sampled at its own offset in the row).
        for (const ScanEdge& edge : edges) {
            if (truncateToInt(edge.yStart) == y) active.push_back(edge);
        }

        // Sort by x. Most rows find the list already in order from the row
        // before.
        if (!strictlyAscendingX(active)) std::sort(active.begin(), active.end(), lessX);

        row(y, static_cast<const std::vector<ScanEdge>&>(active));
    }
}

// The row walk calling span(left, right, y) for every pair of x-sorted
// active edges, in order: even-odd filling.
template <typename SpanVisitor>
void forEachSpanPair(const std::vector<ScanEdge>& edges, int height, std::vector<ScanEdge>& active,
                     SpanVisitor&& span, int lastRow = INT_MAX) {
    forEachActiveRow(
        edges, height, active,
        [&](int y, const std::vector<ScanEdge>& sorted) {
            // Pairs only: an entry left without a partner is ignored.
            for (std::size_t i = 0; i + 1 < sorted.size(); i += 2)
                span(sorted[i], sorted[i + 1], y);
        },
        lastRow);
}
