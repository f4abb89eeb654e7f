#pragma once

#include <cstdint>
#include <functional>

#include "raster/fast/scan_convert_fast.h"
#include "raster/render_software.h"

// One frame's trip through the buffers, a band of rows at a time: each band's
// rows are cleared of what the previous frame drew there just before the
// band's spans are shaded, and converted to window bytes right after, while
// they are still in cache.
struct RowPass {
    FrameBuffers* buffers = nullptr;  // sized for the frame
    const BinnedSpan* spans = nullptr;
    const std::uint32_t* rowStart = nullptr;  // spans of row y: [rowStart[y], rowStart[y + 1])
    int width = 0;
    int height = 0;
    PixelBounds drawn;             // holds every span; its rows and columns get bytes
    std::uint8_t* bgra = nullptr;  // the drawn rectangle, bottom row first
};

// Clears every written row of `pass.buffers` (frame_buffers.h), calls shadeBand(first, end) for
// the bands of rows of `pass.drawn`, notes the columns each row's spans
// cover, and fills `pass.bgra` from the finished rows: white outside the
// spans, each channel through windowByte inside them. The finished rows go
// to `bands` a band or, in a large window, a few bands at a time, each piece
// cut to the columns its spans cover.
void runRowPass(const RowPass& pass, const std::function<void(int, int)>& shadeBand,
                const PictureBands& bands);
