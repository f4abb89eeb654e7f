#include "bench/stage_benchmarks.h"

#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/fast/scan_convert_fast.h"
#include "raster/render_software.h"

void timeSpanBins(benchmark::State& state, Scene& scene, int width, int height) {
    SpanBins bins;
    bins.collect(scene, width, height);  // the storage, as kept from frame to frame
    for (auto _ : state) {
        bins.collect(scene, width, height);
        benchmark::DoNotOptimize(bins.spans.data());
        benchmark::ClobberMemory();
    }
}

void timeConversion(benchmark::State& state, Scene& scene, int width, int height) {
    FrameBuffers buffers;
    prepareFrameBuffers(buffers, width, height);
    const PixelBounds drawn = renderSoftware(scene, buffers.pixels(), width, height, 1);
    if (drawn.empty()) {
        state.SkipWithError("nothing drawn");
        return;
    }
    const std::size_t columns = static_cast<std::size_t>(drawn.lastColumn - drawn.firstColumn + 1);
    std::vector<std::uint8_t> bgra(columns * 4);
    for (auto _ : state) {
        for (int y = drawn.firstRow; y <= drawn.lastRow; ++y) {
            const Color* row =
                buffers.color + static_cast<std::size_t>(y) * width + drawn.firstColumn;
            rw::convertToBgra(row, columns, bgra.data());
            benchmark::DoNotOptimize(bgra.data());
        }
        benchmark::ClobberMemory();
    }
}
