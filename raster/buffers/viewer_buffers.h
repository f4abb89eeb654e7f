#pragma once

#include "raster/buffers/frame_buffers.h"

// The viewer's software buffers, and the names its frame code reaches them
// by. The buffers are allocated width x height + 1000 elements, and start as
// five-element placeholders (with the size -1 x -1), so that the first frame
// always has something to replace; they are never freed. The tools, the
// benchmark and the page draw into buffers of their own.
extern FrameBuffers& viewerBuffers;
extern Color*& colorBuffer;
extern float*& depthBuffer;
extern int& cachedWidth;
extern int& cachedHeight;
