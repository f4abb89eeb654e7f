#pragma once

#include "raster/buffers/frame_buffers.h"

// Called after every frame with its size. After a frame with far fewer
// pixels than the largest since memory was last given back, what was kept
// for the larger frames goes back to the system: the software path's
// storage kept from frame to frame (in the OpenGL mode nothing else gives it
// back), and the free pages of the C library's heap, where blocks a huge
// frame freed in the middle would otherwise stay with the process.
// Buffers that the frame did not draw into (`unused`, when given) go back
// too, unless they are of the frame's size.
void giveBackMemoryAfterShrink(int width, int height, FrameBuffers* unused = nullptr);

// Called before every frame. Keeps blocks of up to a few megabytes that are
// freed in the C library's heap for the next frame, instead of handing them
// back to the system and taking fresh pages (and a page fault for each) the
// next time: the OpenGL library takes and frees such a block for every band
// of the software picture it is handed. Memory a huge frame leaves behind
// still goes back through giveBackMemoryAfterShrink.
void keepFreedMemoryForTheNextFrame();
