#pragma once

// Called after every frame with its size. After a frame with far fewer
// pixels than the largest since memory was last given back, what was kept
// for the larger frames goes back to the system: the software path's
// storage kept from frame to frame (in the OpenGL mode nothing else gives it
// back), and the free pages of the C library's heap, where blocks a huge
// frame freed in the middle would otherwise stay with the process.
void giveBackMemoryAfterShrink(int width, int height);
