#pragma once

// Mesa's software rasteriser (llvmpipe) draws on threads of its own and
// waits forever for threads that could not be started. Where this process
// cannot start a thread (a process limit, no memory for a stack), this
// tells it to draw on the calling thread instead (LP_NUM_THREADS=0, unless
// set already). Call before the GL library starts.
void drawOnTheCallingThreadWhereNoThreadStarts();
