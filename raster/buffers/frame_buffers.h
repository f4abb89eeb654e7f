#pragma once

#include <cstddef>

#include "scene/color.h"

// The software renderer's pixel stores: width * height + 1000 elements each,
// pixel (x, y) at y * width + x, row 0 at the bottom. Replaced only when the
// frame size changes; never freed at exit.
extern Color* colorBuffer;
extern float* depthBuffer;
extern int cachedWidth;
extern int cachedHeight;

// Element count of a buffer for a frame (width * height + 1000), computed
// without int overflow; sizes that are not positive count as 0 pixels.
std::size_t frameBufferElements(int width, int height);

// Reallocates both buffers when the size differs from the cached one, records
// the size, then clears every pixel to white and depth 1.0. When memory for
// the new size cannot be had, both buffers are released (null), the cached
// size is forgotten and the result is false; nothing may be drawn into them.
//
// Whatever is drawn after this call is not noted anywhere, so the next
// clearWrittenRow clears whole rows.
bool prepareFrameBuffers(int width, int height);

// The reallocation half of prepareFrameBuffers: the same rule and the same
// result, but nothing is cleared. Fresh buffers count as written everywhere.
bool sizeFrameBuffers(int width, int height);

// Per row, the columns [first, end) in which the buffers may differ from the
// cleared state (white, depth 1.0). A frame that notes every column it draws
// lets the next frame clear only those instead of the whole picture.
struct WrittenColumns {
    int first = 0;
    int end = 0;
};

// The rows [first, end) that may hold anything but the cleared state, for
// the size the buffers were last sized for.
WrittenColumns writtenRows();

// Clears row y's written columns (the whole row when nothing was noted since
// the buffers were last drawn into unnoted) and marks the row clean.
void clearWrittenRow(int y);

// Notes that row y, clean since clearWrittenRow, now holds drawn pixels in
// columns [first, end) at most.
void noteWrittenColumns(int y, int first, int end);

// Ends a pass that cleared every row of writtenRows() and noted what it drew:
// from now on the notes alone say what the next frame has to clear.
void finishWrittenRows();

// Clears every written column of every row: the buffers end as
// prepareFrameBuffers' clear leaves them, and every row counts as clean.
void clearWrittenPixels();
