// scanConvertPolygon (scan_convert.cpp) for a whole frame at once, without
// the fill: the same vertex stage (with shared corners taken to the screen
// once, vertex_stage_fast.cpp), the same row walk (forEachSpanPair, in its
// fast form forEachSpanPairFast) and the same span set-up (setupSpan) for
// every face in drawing order, but each span is kept in the bin of its row
// instead of being filled. The fill runs afterwards, row by row
// (shade_rows.cpp), and gives the same pixels because each row's spans
// keep the order in which the faces are drawn.
#include "raster/fast/scan_convert_fast.h"

#include <algorithm>
#include <cstddef>

#include "raster/fast/active_edges_fast.h"
#include "raster/fast/scratch_memory.h"

void SpanBins::collect(const Scene& scene, int width, int height) {
    emitted_.clear();
    // The bounds grow in locals: as members they would be stored and loaded
    // again around every span stored.
    int first = height, last = -1, left = width, right = -1;
    const std::size_t rows = height > 0 ? static_cast<std::size_t>(height) : 0;
    std::size_t corners = 0;
    for (const SceneObject& object : scene.objects)
        for (const Face& face : object.faces) corners += face.vertices.size();
    vertexStage_.beginFrame(corners);

    int objectIndex = 0;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            vertexStage_.faceEdges(scene, face, width, height, edges_);
            const std::size_t before = emitted_.size();
            forEachSpanPairFast(
                edges_, height, active_,
                [&](const ScanEdge& leftEdge, const ScanEdge& rightEdge, int y) {
                    // Set up where it is kept; one that covers no column is
                    // taken back.
                    RowSpan& emitted = emitted_.emplace_back();
                    if (!setupSpan(leftEdge, rightEdge, width, emitted.binned.span)) {
                        emitted_.pop_back();
                        return;
                    }
                    emitted.row = y;
                    emitted.binned.object = objectIndex;
                    left = std::min(left, emitted.binned.span.startColumn);
                    right = std::max(right, emitted.binned.span.endColumn - 1);
                });
            // A face's spans come in rising rows.
            if (emitted_.size() > before) {
                first = std::min(first, emitted_[before].row);
                last = std::max(last, emitted_.back().row);
            }
        }
        ++objectIndex;
    }
    firstRow = first;
    lastRow = last;
    firstColumn = left;
    lastColumn = right;

    // A stable counting sort by row keeps face order within each row.
    rowStart.assign(rows + 1, 0);
    for (const RowSpan& e : emitted_) ++rowStart[static_cast<std::size_t>(e.row) + 1];
    for (std::size_t y = 0; y < rows; ++y) rowStart[y + 1] += rowStart[y];
    spans.resize(emitted_.size());
    std::vector<std::uint32_t>& next = cursor_;
    next.assign(rowStart.begin(), rowStart.end());
    for (const RowSpan& e : emitted_) spans[next[static_cast<std::size_t>(e.row)]++] = e.binned;

    giveBackUnusedScratch(emitted_);
    giveBackUnusedScratch(spans);
    giveBackUnusedScratch(rowStart);
    giveBackUnusedScratch(cursor_);
}
