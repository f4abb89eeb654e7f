#pragma once

#include <cstdint>
#include <functional>

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/fragment_observer.h"
#include "scene/scene.h"

// Every entry point draws into the buffers it is given, which must hold the
// width x height frame; renderSoftwareFrame alone sizes them itself.

// Draws every face of every object into `buffers`, which must already be
// cleared. This is the fast path: geometry as in renderSoftwarePlain, spans
// collected per row, and the pixels lit several rows at a time on SIMD
// lanes. The buffers come out identical, bit for bit, to
// renderSoftwarePlain's.
void renderSoftware(Scene& scene, PixelBuffers buffers, int width, int height);

// A rectangle of pixels: columns firstColumn..lastColumn and rows
// firstRow..lastRow, both ends included; empty when a first exceeds its last.
struct PixelBounds {
    int firstColumn = 0;
    int firstRow = 0;
    int lastColumn = -1;
    int lastRow = -1;
    bool empty() const { return firstColumn > lastColumn || firstRow > lastRow; }
};

// The same, with the rows shared between `threads` threads (1: no extra
// thread); the picture is the same for every thread count. Returns a
// rectangle outside which no pixel was written.
PixelBounds renderSoftware(Scene& scene, PixelBuffers buffers, int width, int height, int threads);

// Part of what a software frame shows: the pixels of `drawn` as packed B, G,
// R, A bytes (alpha 255), each channel through windowByte, rows from the
// bottom, `rowLength` pixels from the start of one row's bytes to the next
// (0: the width of `drawn`).
struct WindowPicture {
    PixelBounds drawn;
    const std::uint8_t* bgra = nullptr;  // valid until the next frame
    int rowLength = 0;
};

// Receives a software frame's picture band by band, bottom band first, each
// a run of rows handed over as soon as they are converted; together the
// bands hold every pixel that is not the cleared white.
using PictureBands = std::function<void(const WindowPicture& band)>;

// One viewer frame of the software path: sizes `buffers` as
// prepareFrameBuffers does and draws the scene as renderSoftware does, on one
// thread, in one pass over the rows that also clears and converts them (see
// row_pass.h), handing each finished band of the picture to `bands`. The
// buffers end exactly as prepareFrameBuffers and renderSoftware leave them.
// False, with nothing drawn, when memory for the buffers or the bytes cannot
// be had.
bool renderSoftwareFrame(Scene& scene, FrameBuffers& buffers, int width, int height,
                         const PictureBands& bands);

// Gives back the storage the fast path keeps from frame to frame (the spans,
// the per-frame tables, the picture's bytes); the next frame takes what it
// needs anew.
void releaseFastPathStorage();

// The readable path: one face at a time through the vertex stage and
// scanConvertPolygon, one pixel at a time through shadePixel. The oracle for
// the fast path.
void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height);

// The same, telling the observer (when not null) about every fragment as it
// is drawn, the buffers coming out exactly as without one.
void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height,
                         FragmentObserver* observer);
