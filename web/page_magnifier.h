#pragma once

#include <string>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/stop_point.h"
#include "web/page_frame.h"

// The magnifier's geometry around pixel (x, y) of the page's frame, as
// magnifierJson writes it: gathered for the view and rules the page draws
// with, as rasterwork-explain's magnifier gathers it, with the reference's
// outline on a grid of 1/2^gridBits pixel (0: none). The software side is
// the picture `rgb` and `depth` (r, g, b and a depth per pixel, rows from
// the bottom), the reference side the reference model's coverage. Empty
// when the pictures do not hold the view's frame.

// The whole frame, read where it was drawn: the software picture's
// buffers, and the model's depth buffer (null: the reference side is left
// uncovered, for the caller to mark).
std::string pageMagnifierJson(const PageView& view, PixelBuffers software, const float* modelDepth,
                              int gridBits, int x, int y);

// A step of the step mode: the buffers as they stand at `stop`, the rows of
// its face alone, and the model drawn up to the same point through
// `buffers`; empty too when the memory cannot be had.
std::string pageStepMagnifierJson(const PageView& view, const StopPoint& stop,
                                  const std::vector<float>& rgb, const std::vector<float>& depth,
                                  int gridBits, int x, int y, FrameBuffers& buffers);
