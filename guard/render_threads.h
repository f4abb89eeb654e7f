#pragma once

// Mesa's software rasteriser (llvmpipe) draws on threads of its own, one
// per processor unless LP_NUM_THREADS says otherwise, and waits forever for
// a thread that could not be started. Where this process cannot start them
// all (a process limit, no memory for their stacks), this gives it only as
// many as can run at once, keeping one for a thread of our own (the X
// server's ping), or tells it to draw on the calling thread
// (LP_NUM_THREADS=0) where none can. Call before the GL library starts.
void fitRenderThreadsToWhatCanStart();
