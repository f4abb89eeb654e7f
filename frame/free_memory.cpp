#include "frame/free_memory.h"

#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "raster/render_software.h"

namespace {

// Blocks below this size are taken from the heap, and up to twice as much
// free memory at its top is kept, so that the blocks one frame frees serve
// the next instead of going back to the system and coming anew, a page fault
// for every page. (The largest size the C library allows.)
constexpr int kHeapBlockBytes = 32 << 20;

// Frames below this size (a 1024 x 1024 frame's buffers take 20 MB) leave
// too little behind to be worth giving back.
constexpr long long kWorthPixels = 1LL << 20;

}  // namespace

void keepFreedMemoryForTheNextFrame() {
#ifdef __GLIBC__
    static const bool kept = mallopt(M_MMAP_THRESHOLD, kHeapBlockBytes) == 1 &&
                             mallopt(M_TRIM_THRESHOLD, 2 * kHeapBlockBytes) == 1;
    static_cast<void>(kept);
#endif
}

void giveBackMemoryAfterShrink(int width, int height, FrameBuffers* unused) {
    static long long largest = 0;
    const long long pixels =
        static_cast<long long>(std::max(width, 0)) * static_cast<long long>(std::max(height, 0));
    largest = std::max(largest, pixels);
    if (largest < kWorthPixels || pixels > largest / 4) return;
    releaseFastPathStorage();
    if (unused && (unused->width != width || unused->height != height)) {
        releaseFrameBuffers(*unused);
    }
#ifdef __GLIBC__
    malloc_trim(0);
#endif
    largest = pixels;
}
