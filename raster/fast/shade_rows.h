// The fast counterpart of fillSpan (fill_span.h): the spans of a frame,
// depth-tested on SIMD lanes one row per lane, then the pixels that keep a
// fragment lit on SIMD lanes a vector of columns at a time
// (shade_rows.cpp).
#pragma once

#include <cstdint>

#include "raster/fast/lighting_lanes.h"
#include "raster/fast/scan_convert_fast.h"
#include "raster/plain/lighting_constants.h"
#include "scene/color.h"

// Everything the fast span fill reads for one frame: the binned spans, the
// per-frame lighting record, the per-column and per-row device coordinates
// (and, where the inverse projection allows, the per-column and per-row parts
// of the unprojection), plus the buffers it writes.
struct SpanFillJob {
    const BinnedSpan* spans = nullptr;
    const std::uint32_t* rowStart = nullptr;
    int width = 0;
    int height = 0;
    const LightingConstants* shading = nullptr;
    const LightingLanes* lighting = nullptr;  // the same constants as whole vectors
    const float* columnDevice = nullptr;      // width entries
    const float* rowDevice = nullptr;         // height entries
    // When the inverse projection has the zeros of a perspective inverse,
    // its product with a device position (x, y, depth, 1) is
    // (columnUnprojected[x], rowUnprojected[y],
    // depth * inverseProjection[10] + inverseProjection[11],
    // depth * inverseProjection[14] + inverseProjection[15]) exactly, as long
    // as depth is finite and no part of it is zero (checked per pixel).
    bool reducedUnprojection = false;
    const float* columnUnprojected = nullptr;  // width entries
    const float* rowUnprojected = nullptr;     // height entries
    // With those, row i of the inverse view starts its product with
    // inverseView[4 i] * columnUnprojected[x] + inverseView[4 i + 1] *
    // rowUnprojected[y] in double: the first products for the four rows,
    // each row's width entries after the one before.
    const double* columnView = nullptr;
    bool affineView = false;  // the inverse view's last row is exactly (0, 0, 0, 1)
    float* depth = nullptr;
    Color* color = nullptr;
    // Whether the rows' pixels are likely out of cache (true after a clear
    // of the whole buffers; false in the row pass, which has just cleared
    // the rows it fills).
    bool prefetchSpans = false;
};

// Rows are shared out between the parts of one frame in blocks of this many,
// round robin, so that every part gets rows from all over the picture.
constexpr int kRowBlock = 8;

namespace rw {

// Depth-tests and lights every span of rows [firstRow, endRow) that belong to
// `part` of `parts` (the blocks of kRowBlock rows counted from firstRow whose
// number modulo parts is part), each row's spans in order, with the best SIMD
// target the processor offers.
void shadeRows(const SpanFillJob& frame, int firstRow, int endRow, int part = 0, int parts = 1);

}  // namespace rw
