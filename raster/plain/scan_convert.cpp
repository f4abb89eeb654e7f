#include "raster/plain/scan_convert.h"

#include "raster/plain/active_edges.h"
#include "raster/plain/fill_span.h"

void scanConvertPolygon(std::vector<ScanEdge>& edges, const FaceContext& face, FilledRows rows) {
    std::vector<ScanEdge> active;
    forEachSpanPair(
        edges, face.draw.height, active,
        [&](const ScanEdge& left, const ScanEdge& right, int y) {
            if (rows.holds(y)) fillSpan(left, right, y, face);
        },
        rows.last);
    std::vector<ScanEdge>().swap(edges);
}
