#include "raster/buffers/frame_buffers.h"

#include <cstdint>
#include <memory>
#include <new>

#include "raster/buffers/fill_ones.h"

static_assert(sizeof(Color) == 4 * sizeof(float), "a Color is four floats and nothing else");

namespace {

// Every store holds 1000 elements past the last row: the buffers are
// allocated width x height + 1000 elements. Nothing clears, draws or shows
// them.
constexpr std::size_t kElementsPastLastRow = 1000;

std::size_t pixelCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

bool sizeRecord(FrameBuffers::WrittenRecord& written, int height) {
    const std::size_t rows = height > 0 ? static_cast<std::size_t>(height) : 0;
    written.rows.reset(new (std::nothrow) IndexRange[rows + 1]);
    written.height = written.rows ? static_cast<int>(rows) : 0;
    written.unknown = true;
    return written.rows != nullptr;
}

// Depth 1.0 and opaque white (1, 1, 1, 1) are all ones.
void clearPixels(const FrameBuffers& buffers, std::size_t first, std::size_t count) {
    rw::fillOnes(buffers.depth + first, count);
    rw::fillOnes(&buffers.color[first].r, 4 * count);
}

}  // namespace

FrameBuffers::~FrameBuffers() {
    delete[] depth;
    delete[] color;
}

std::size_t frameBufferElements(int width, int height) {
    return pixelCount(width, height) + kElementsPastLastRow;
}

bool sizeFrameBuffers(FrameBuffers& buffers, int width, int height) {
    if (height != buffers.height || width != buffers.width) {
        delete[] buffers.depth;
        delete[] buffers.color;
        const std::size_t n = frameBufferElements(width, height);
        buffers.depth = new (std::nothrow) float[n];
        buffers.color = buffers.depth ? new (std::nothrow) Color[n] : nullptr;
        if (!buffers.color || !sizeRecord(buffers.written, height)) {
            // No half-made pair: the next call tries again at whatever size.
            releaseFrameBuffers(buffers);
            return false;
        }
    }
    buffers.width = width;
    buffers.height = height;
    return true;
}

void releaseFrameBuffers(FrameBuffers& buffers) {
    delete[] buffers.depth;
    delete[] buffers.color;
    buffers.depth = nullptr;
    buffers.color = nullptr;
    buffers.width = -1;
    buffers.height = -1;
    buffers.written = FrameBuffers::WrittenRecord{};
}

bool prepareFrameBuffers(FrameBuffers& buffers, int width, int height) {
    if (!sizeFrameBuffers(buffers, width, height)) return false;
    clearPixels(buffers, 0, pixelCount(width, height));
    buffers.written.unknown = true;
    return true;
}

bool prepareFrameRow(FrameBuffers& buffers, int width, int height, int y) {
    if (!sizeFrameBuffers(buffers, width, height)) return false;
    if (y >= 0 && y < height && width > 0) {
        clearPixels(buffers, static_cast<std::size_t>(y) * static_cast<std::size_t>(width),
                    static_cast<std::size_t>(width));
    }
    buffers.written.unknown = true;
    return true;
}

IndexRange writtenRows(const FrameBuffers& buffers) {
    const FrameBuffers::WrittenRecord& written = buffers.written;
    if (written.unknown) return IndexRange{0, written.height};
    return written.range;
}

void clearWrittenRow(FrameBuffers& buffers, int y) {
    FrameBuffers::WrittenRecord& written = buffers.written;
    if (y < 0 || y >= written.height || buffers.width <= 0) return;
    const std::size_t rowStart =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(buffers.width);
    IndexRange& row = written.rows[y];
    if (written.unknown) {
        clearPixels(buffers, rowStart, static_cast<std::size_t>(buffers.width));
    } else if (!row.empty()) {
        clearPixels(buffers, rowStart + static_cast<std::size_t>(row.first),
                    static_cast<std::size_t>(row.end - row.first));
    }
    row = IndexRange{};
}

void noteWrittenColumns(FrameBuffers& buffers, int y, int first, int end) {
    FrameBuffers::WrittenRecord& written = buffers.written;
    if (y < 0 || y >= written.height || first >= end) return;
    written.rows[y] = IndexRange{first, end};
}

void finishWrittenRows(FrameBuffers& buffers) {
    FrameBuffers::WrittenRecord& written = buffers.written;
    IndexRange range;
    for (int y = 0; y < written.height; ++y) {
        if (written.rows[y].empty()) continue;
        if (range.empty()) range.first = y;
        range.end = y + 1;
    }
    written.range = range;
    written.unknown = false;
}

void clearWrittenPixels(FrameBuffers& buffers) {
    const IndexRange rows = writtenRows(buffers);
    for (int y = rows.first; y < rows.end; ++y) clearWrittenRow(buffers, y);
    finishWrittenRows(buffers);
}
