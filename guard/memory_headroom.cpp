#include "guard/memory_headroom.h"

#include <sys/mman.h>

#include <algorithm>

namespace {

// Besides the frame's colour and depth, what the GL library allocates to
// draw at all (the code it compiles, its bookkeeping) comes in blocks of at
// most this much.
constexpr std::size_t kLibraryBlockBytes = std::size_t{16} << 20;
// A crash with less address space left than this is taken for memory
// running out: glibc reserves 64 MB at a time for the malloc arena of each
// new thread, and llvmpipe's threads start while a window opens, so a
// library that failed to allocate may have left that much behind it by the
// time it crashes, as a thread that ends frees its stack.
constexpr std::size_t kCrashHeadroomBytes = std::size_t{64} << 20;
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
    return !addressSpaceLeft(std::max(kCrashHeadroomBytes, 4 * framePixels));
}

std::string openGLMemoryRefusal(int width, int height, const std::string& what) {
    expectFramesOf(width, height);
    if (addressSpaceLeft(openGLFrameBytes(width, height))) return "";
    return "not enough memory for the OpenGL library to draw " + what;
}
