#include "gl/memory_headroom.h"

#include <sys/mman.h>

#include <algorithm>

namespace {

// Besides the frame's colour and depth, what the GL library allocates to
// draw at all (the code it compiles, its bookkeeping) comes in blocks of at
// most this much.
constexpr std::size_t kLibraryBlockBytes = std::size_t{16} << 20;
// The colour and depth of one pixel in the GL library's buffers.
constexpr std::size_t kBufferBytesPerPixel = 8;

// The pixels of the frames the GL library draws now: its largest buffer
// holds four bytes for each.
volatile std::size_t framePixels = 0;

}  // namespace

void expectFramesOf(int width, int height) {
    framePixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

std::size_t openGLFrameBytes(int width, int height) {
    return kLibraryBlockBytes + static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                    kBufferBytesPerPixel;
}

bool addressSpaceLeft(std::size_t bytes) {
    void* const reserved =
        mmap(nullptr, bytes, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
    if (reserved == MAP_FAILED) return false;
    munmap(reserved, bytes);
    return true;
}

bool memoryRanOut() {
    return !addressSpaceLeft(std::max(kLibraryBlockBytes, 4 * framePixels));
}
