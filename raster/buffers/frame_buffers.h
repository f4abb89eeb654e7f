#pragma once

#include <cstddef>
#include <memory>

#include "scene/color.h"

// Where a software frame is drawn: a colour and a depth store of at least
// width * height elements each, pixel (x, y) at y * width + x, row 0 at the
// bottom. The renderers write into them and never resize them.
struct PixelBuffers {
    Color* color = nullptr;
    float* depth = nullptr;
};

// Rows [first, end) or, within a row, columns [first, end).
struct IndexRange {
    int first = 0;
    int end = 0;
    bool empty() const { return first >= end; }
};

// The stores a software frame is drawn into, kept from frame to frame:
// width * height + 1000 elements each, replaced only when the frame size
// changes, and a note of what has been drawn into them since each row was
// last cleared, so that the next frame clears only that. Buffers made here
// start without stores; the first sizing allocates them. Frees the stores
// when it goes.
struct FrameBuffers {
    FrameBuffers() = default;
    ~FrameBuffers();
    FrameBuffers(const FrameBuffers&) = delete;
    FrameBuffers& operator=(const FrameBuffers&) = delete;

    Color* color = nullptr;
    float* depth = nullptr;
    int width = -1;  // the size the stores were allocated for; -1: none
    int height = -1;

    PixelBuffers pixels() const { return PixelBuffers{color, depth}; }

    // What has been drawn since each row was last cleared. While `unknown`
    // is set, something drew without noting it and every row counts as
    // written wholly; `rows` then holds nothing of value.
    struct WrittenRecord {
        std::unique_ptr<IndexRange[]> rows;  // per row, the columns written
        int height = 0;
        bool unknown = true;
        IndexRange range;  // rows with a non-empty entry lie in it
    } written;
};

// Element count of a store for a frame (width * height + 1000), computed
// without int overflow; sizes that are not positive count as 0 pixels.
std::size_t frameBufferElements(int width, int height);

// Reallocates both stores when the size differs from the one they were
// allocated for, records the size, then clears every pixel to white and
// depth 1.0. When memory for the new size cannot be had, both stores are
// released (null), the size is forgotten and the result is false; nothing
// may be drawn into them.
//
// Whatever is drawn after this call is not noted anywhere, so the next
// clearWrittenRow clears whole rows.
bool prepareFrameBuffers(FrameBuffers& buffers, int width, int height);

// The reallocation half of prepareFrameBuffers: the same rule and the same
// result, but nothing is cleared. Fresh stores count as written everywhere.
bool sizeFrameBuffers(FrameBuffers& buffers, int width, int height);

// Sizes the stores as sizeFrameBuffers does and clears row y alone (when the
// frame has it), for a frame that draws only that row. The other rows hold
// whatever they held, and every row counts as written.
bool prepareFrameRow(FrameBuffers& buffers, int width, int height, int y);

// Frees both stores and forgets the size: the next sizing allocates anew.
void releaseFrameBuffers(FrameBuffers& buffers);

// The rows that may hold anything but the cleared state (white, depth 1.0),
// for the size the buffers were last sized for.
IndexRange writtenRows(const FrameBuffers& buffers);

// Clears row y's written columns (the whole row when nothing was noted since
// the buffers were last drawn into unnoted) and marks the row clean.
void clearWrittenRow(FrameBuffers& buffers, int y);

// Notes that row y, clean since clearWrittenRow, now holds drawn pixels in
// columns [first, end) at most.
void noteWrittenColumns(FrameBuffers& buffers, int y, int first, int end);

// Ends a pass that cleared every row of writtenRows() and noted what it drew:
// from now on the notes alone say what the next frame has to clear.
void finishWrittenRows(FrameBuffers& buffers);

// Clears every written column of every row: the buffers end as
// prepareFrameBuffers' clear leaves them, and every row counts as clean.
void clearWrittenPixels(FrameBuffers& buffers);
