#include "raster/buffers/frame_buffers.h"

#include <cstdint>
#include <memory>
#include <new>

#include "raster/buffers/fill_ones.h"

// The placeholders are allocated during static initialisation so the first
// frame always has something to free.
float* depthBuffer = new float[5];
Color* colorBuffer = new Color[5];
int cachedWidth = -1;
int cachedHeight = -1;

static_assert(sizeof(Color) == 4 * sizeof(float), "a Color is four floats and nothing else");

namespace {
constexpr std::size_t kSlack = 1000;

std::size_t pixelCount(int width, int height) {
    if (width <= 0 || height <= 0) return 0;
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

// What has been drawn since each row was last cleared. While `unknown` is
// set, something drew without noting it and every row counts as written
// wholly; `rows` then holds nothing of value.
struct WrittenRecord {
    std::unique_ptr<WrittenColumns[]> rows;
    int height = 0;
    bool unknown = true;
    WrittenColumns range;  // rows with a non-empty entry lie in [first, end)
};
WrittenRecord written;

bool sizeRecord(int height) {
    const std::size_t rows = height > 0 ? static_cast<std::size_t>(height) : 0;
    written.rows.reset(new (std::nothrow) WrittenColumns[rows + 1]);
    written.height = written.rows ? static_cast<int>(rows) : 0;
    written.unknown = true;
    return written.rows != nullptr;
}

// Depth 1.0 and opaque white (1, 1, 1, 1) are all ones.
void clearPixels(std::size_t first, std::size_t count) {
    rw::fillOnes(depthBuffer + first, count);
    rw::fillOnes(&colorBuffer[first].r, 4 * count);
}

}  // namespace

std::size_t frameBufferElements(int width, int height) {
    return pixelCount(width, height) + kSlack;
}

bool sizeFrameBuffers(int width, int height) {
    if (height != cachedHeight || width != cachedWidth) {
        delete[] depthBuffer;
        delete[] colorBuffer;
        const std::size_t n = frameBufferElements(width, height);
        depthBuffer = new (std::nothrow) float[n];
        colorBuffer = depthBuffer ? new (std::nothrow) Color[n] : nullptr;
        if (!colorBuffer || !sizeRecord(height)) {
            // No half-made pair: the next call tries again at whatever size.
            delete[] depthBuffer;
            delete[] colorBuffer;
            depthBuffer = nullptr;
            colorBuffer = nullptr;
            cachedWidth = -1;
            cachedHeight = -1;
            return false;
        }
    }
    cachedWidth = width;
    cachedHeight = height;
    return true;
}

bool prepareFrameBuffers(int width, int height) {
    if (!sizeFrameBuffers(width, height)) return false;
    clearPixels(0, pixelCount(width, height));
    written.unknown = true;
    return true;
}

WrittenColumns writtenRows() {
    if (written.unknown) return WrittenColumns{0, written.height};
    return written.range;
}

void clearWrittenRow(int y) {
    if (y < 0 || y >= written.height || cachedWidth <= 0) return;
    const std::size_t rowStart =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(cachedWidth);
    WrittenColumns& row = written.rows[y];
    if (written.unknown) {
        clearPixels(rowStart, static_cast<std::size_t>(cachedWidth));
    } else if (row.first < row.end) {
        clearPixels(rowStart + static_cast<std::size_t>(row.first),
                    static_cast<std::size_t>(row.end - row.first));
    }
    row = WrittenColumns{};
}

void noteWrittenColumns(int y, int first, int end) {
    if (y < 0 || y >= written.height || first >= end) return;
    written.rows[y] = WrittenColumns{first, end};
}

void finishWrittenRows() {
    WrittenColumns range;
    for (int y = 0; y < written.height; ++y) {
        if (written.rows[y].first >= written.rows[y].end) continue;
        if (range.first >= range.end) range.first = y;
        range.end = y + 1;
    }
    written.range = range;
    written.unknown = false;
}

void clearWrittenPixels() {
    const WrittenColumns rows = writtenRows();
    for (int y = rows.first; y < rows.end; ++y) clearWrittenRow(y);
    finishWrittenRows();
}
