#pragma once

// Called after every frame with its size. After a frame with far fewer
// pixels than the largest since memory was last given back, the free pages
// of the C library's heap go back to the system: blocks a huge frame freed
// in the middle of the heap would otherwise stay with the process.
void giveBackFreeMemoryAfterShrink(int width, int height);
