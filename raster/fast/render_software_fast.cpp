// renderSoftwarePlain (render_software_plain.cpp) for speed, with the same bits:
// scan conversion for every face first, the spans kept per row
// (scan_convert_fast.cpp); the per-frame lighting record from the same
// lightingConstants, plus tables of each column's and row's device coordinate;
// then the span fill and lighting on SIMD lanes, one row per lane
// (shade_rows.cpp), with the rows shared between threads or, for the
// viewer, in bands that are cleared, lit and converted to window bytes while
// in cache (row_pass.cpp).
#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <new>
#include <thread>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/fast/row_pass.h"
#include "raster/fast/scan_convert_fast.h"
#include "raster/fast/scratch_memory.h"
#include "raster/fast/shade_rows.h"
#include "raster/plain/device_coordinate.h"
#include "raster/plain/lighting_constants.h"
#include "raster/render_software.h"

namespace {

// The per-frame tables the fast fill reads besides the spans, with the
// same operations the per-pixel lighting uses; kept from frame to frame.
struct CoordinateTables {
    std::vector<float> columnDevice;
    std::vector<float> rowDevice;
    std::vector<float> columnUnprojected;
    std::vector<float> rowUnprojected;
    std::vector<double> columnView;
    int deviceWidth = -1;
    int deviceHeight = -1;

    // deviceCoordinate of every column and row, as shadePixel forms them.
    void deviceTables(int width, int height) {
        if (width == deviceWidth && height == deviceHeight) return;
        columnDevice.resize(static_cast<std::size_t>(width));
        for (int x = 0; x < width; ++x)
            columnDevice[static_cast<std::size_t>(x)] =
                deviceCoordinate(static_cast<float>(x), width);
        rowDevice.resize(static_cast<std::size_t>(height));
        for (int y = 0; y < height; ++y)
            rowDevice[static_cast<std::size_t>(y)] =
                deviceCoordinate(static_cast<float>(y), height);
        deviceWidth = width;
        deviceHeight = height;
        giveBackUnusedScratch(columnDevice);
        giveBackUnusedScratch(rowDevice);
    }
};

// Whether the inverse projection has the exact zeros of a perspective
// inverse (and nothing infinite), so that the unprojection of a pixel splits
// into a per-column, a per-row, a constant and a per-depth part.
bool perspectiveInverse(const double* m) {
    for (int i = 0; i < 16; ++i) {
        if (!std::isfinite(m[i])) return false;
    }
    for (int i : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) {
        if (m[i] != 0.0) return false;
    }
    return m[11] != 0.0 && m[15] != 0.0;
}

void reducedUnprojection(SpanFillJob& job, CoordinateTables& c, int width, int height) {
    const double* pi = job.shading->inverseProjection.m;
    job.reducedUnprojection = perspectiveInverse(pi);
    if (!job.reducedUnprojection) return;
    c.columnUnprojected.resize(static_cast<std::size_t>(width));
    for (std::size_t x = 0; x < c.columnUnprojected.size(); ++x)
        c.columnUnprojected[x] = static_cast<float>(pi[0] * static_cast<double>(c.columnDevice[x]));
    c.rowUnprojected.resize(static_cast<std::size_t>(height));
    for (std::size_t y = 0; y < c.rowUnprojected.size(); ++y)
        c.rowUnprojected[y] = static_cast<float>(pi[5] * static_cast<double>(c.rowDevice[y]));
    const double* vi = job.shading->inverseView.m;
    c.columnView.resize(4 * static_cast<std::size_t>(width));
    for (std::size_t i = 0; i < 4; ++i)
        for (std::size_t x = 0; x < c.columnUnprojected.size(); ++x)
            c.columnView[i * c.columnUnprojected.size() + x] =
                vi[4 * i] * static_cast<double>(c.columnUnprojected[x]);
    giveBackUnusedScratch(c.columnUnprojected);
    giveBackUnusedScratch(c.rowUnprojected);
    giveBackUnusedScratch(c.columnView);
    job.columnUnprojected = c.columnUnprojected.data();
    job.rowUnprojected = c.rowUnprojected.data();
    job.columnView = c.columnView.data();
    job.affineView = vi[12] == 0.0 && vi[13] == 0.0 && vi[14] == 0.0 && vi[15] == 1.0;
}

// Storage taken without throwing, kept from frame to frame and given back
// when a frame needs much less of it.
struct ByteStore {
    std::unique_ptr<std::uint8_t[]> bytes;
    std::size_t capacity = 0;

    std::uint8_t* reserve(std::size_t count) {
        if (count > capacity || count < capacity / 4) {
            bytes.reset();
            bytes.reset(new (std::nothrow) std::uint8_t[count]);
            capacity = bytes ? count : 0;
        }
        return bytes.get();
    }
};

struct FastRenderer {
    SpanBins bins;
    CoordinateTables tables;
    LightingLanes lighting;
    ByteStore picture;
};

FastRenderer& fastRenderer() {
    static FastRenderer renderer;
    return renderer;
}

// Gathers index pixels with 32-bit offsets.
bool fitsLaneIndex(int width, int height) {
    return static_cast<long long>(width) * static_cast<long long>(height) < (1LL << 31);
}

SpanFillJob jobFor(const LightingConstants& shading, PixelBuffers buffers, int width, int height,
                   FastRenderer& r) {
    SpanFillJob job;
    job.spans = r.bins.spans.data();
    job.rowStart = r.bins.rowStart.data();
    job.width = width;
    job.height = height;
    job.shading = &shading;
    r.lighting.build(shading);
    job.lighting = &r.lighting;
    job.columnDevice = r.tables.columnDevice.data();
    job.rowDevice = r.tables.rowDevice.data();
    job.depth = buffers.depth;
    job.color = buffers.color;
    reducedUnprojection(job, r.tables, width, height);
    return job;
}

// Rows [first, last] shared between `threads` threads, this one included.
// The parts of threads the system would not start (a process limit, no
// memory for a stack) are shaded here too: the picture does not depend on
// which thread shades which part.
void shadeOnThreads(const SpanFillJob& job, int first, int last, int threads) {
    const int blocks = (last - first) / kRowBlock + 1;
    const int parts = std::max(1, std::min(threads, blocks));
    std::vector<std::thread> workers;
    std::vector<int> unstarted;
    workers.reserve(static_cast<std::size_t>(parts - 1));
    unstarted.reserve(static_cast<std::size_t>(parts - 1));
    for (int part = 1; part < parts; ++part) {
        try {
            workers.emplace_back([&job, first, last, part, parts] {
                rw::shadeRows(job, first, last + 1, part, parts);
            });
        } catch (const std::exception&) {
            unstarted.push_back(part);
        }
    }
    rw::shadeRows(job, first, last + 1, 0, parts);
    for (const int part : unstarted) rw::shadeRows(job, first, last + 1, part, parts);
    for (std::thread& worker : workers) worker.join();
}

}  // namespace

PixelBounds renderSoftware(Scene& scene, PixelBuffers buffers, int width, int height, int threads) {
    if (width <= 0 || height <= 0) return PixelBounds{};  // no pixel to draw
    if (!fitsLaneIndex(width, height)) {
        renderSoftwarePlain(scene, buffers, width, height);
        return PixelBounds{0, 0, width - 1, height - 1};
    }
    FastRenderer& r = fastRenderer();
    r.bins.collect(scene, width, height);
    const PixelBounds drawn{r.bins.firstColumn, r.bins.firstRow, r.bins.lastColumn, r.bins.lastRow};
    if (drawn.empty()) return drawn;
    r.tables.deviceTables(width, height);
    const LightingConstants shading = lightingConstants(scene);
    SpanFillJob job = jobFor(shading, buffers, width, height, r);
    job.prefetchSpans = true;  // the buffers were cleared whole, out of cache
    shadeOnThreads(job, r.bins.firstRow, r.bins.lastRow, threads);
    return drawn;
}

namespace {

std::size_t pictureBytes(const PixelBounds& rect) {
    if (rect.empty()) return 0;
    return static_cast<std::size_t>(rect.lastColumn - rect.firstColumn + 1) *
           static_cast<std::size_t>(rect.lastRow - rect.firstRow + 1) * 4;
}

// Frames too large for the lane indices: the plain path on a full clear, and
// the whole picture converted.
bool renderPlainFrame(Scene& scene, FrameBuffers& buffers, int width, int height,
                      const PictureBands& bands) {
    const PixelBounds whole{0, 0, width - 1, height - 1};
    std::uint8_t* bgra = fastRenderer().picture.reserve(pictureBytes(whole));
    if (!bgra || !prepareFrameBuffers(buffers, width, height)) return false;
    renderSoftwarePlain(scene, buffers.pixels(), width, height);
    const std::size_t columns = static_cast<std::size_t>(width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        rw::convertToBgra(buffers.color + y * columns, columns, bgra + y * columns * 4);
    if (bands) bands(WindowPicture{whole, bgra});
    return true;
}

}  // namespace

bool renderSoftwareFrame(Scene& scene, FrameBuffers& buffers, int width, int height,
                         const PictureBands& bands) {
    if (!sizeFrameBuffers(buffers, width, height)) return false;
    if (width <= 0 || height <= 0) return true;  // no pixel to clear or draw
    if (!fitsLaneIndex(width, height))
        return renderPlainFrame(scene, buffers, width, height, bands);

    FastRenderer& r = fastRenderer();
    r.bins.collect(scene, width, height);
    RowPass pass;
    pass.buffers = &buffers;
    pass.spans = r.bins.spans.data();
    pass.rowStart = r.bins.rowStart.data();
    pass.width = width;
    pass.height = height;
    pass.drawn =
        PixelBounds{r.bins.firstColumn, r.bins.firstRow, r.bins.lastColumn, r.bins.lastRow};
    if (!pass.drawn.empty()) {
        pass.bgra = r.picture.reserve(pictureBytes(pass.drawn));
        if (!pass.bgra) return false;
        r.tables.deviceTables(width, height);
    }
    const LightingConstants shading = lightingConstants(scene);
    const SpanFillJob job =
        pass.drawn.empty() ? SpanFillJob{} : jobFor(shading, buffers.pixels(), width, height, r);
    runRowPass(
        pass, [&job](int first, int end) { rw::shadeRows(job, first, end); }, bands);
    return true;
}

void releaseFastPathStorage() {
    fastRenderer() = FastRenderer{};
}

void renderSoftware(Scene& scene, PixelBuffers buffers, int width, int height) {
    renderSoftware(scene, buffers, width, height, 1);
}
