// rasterwork-bench: times the parts of a viewer frame for the default scene
// and view at 480 x 480 (the viewer's window) and 1920 x 1080.
//
// The OpenGL frames are drawn off screen through EGL where it can be had,
// else in windows on the X display (--gl-platform=egl|x11|auto chooses);
// the context lines name the OpenGL that drew them and the SIMD target the
// fast path runs on (the best one here, or --simd-target=NAME). Without
// either platform the OpenGL benchmarks are skipped, and one line on
// standard error names them and the reason. Unless the command line says otherwise every benchmark
// runs five times after a warm-up and only the aggregates (median, mean,
// spread) are reported.
#include <benchmark/benchmark.h>

#include <GL/gl.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "bench/bench_gl.h"
#include "bench/bench_options.h"
#include "bench/stage_benchmarks.h"
#include "frame/reference_frame.h"
#include "gl/present.h"
#include "gl/surface/gl_window.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/simd_targets.h"
#include "raster/render_software.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "view/view.h"

namespace {

constexpr double kWarmUpSeconds = 0.5;

struct FrameSize {
    int width;
    int height;
    std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
    long pixels() const { return static_cast<long>(width) * height; }
};

// The default scene with the camera of the view the viewer starts with, at
// the frame size.
void viewerStart(Scene& scene, FrameSize size) {
    scene = defaultSceneSeenFrom(View{}, size.width, size.height);
}

void countPixels(benchmark::State& state, FrameSize size) {
    state.SetItemsProcessed(state.iterations() * size.pixels());
}

// Sizing and clearing of the colour and depth buffers at an unchanged size,
// as every frame does it.
void clearBuffers(benchmark::State& state, FrameSize size) {
    FrameBuffers buffers;
    prepareFrameBuffers(buffers, size.width, size.height);
    for (auto _ : state) {
        prepareFrameBuffers(buffers, size.width, size.height);
        benchmark::DoNotOptimize(buffers.color);
        benchmark::DoNotOptimize(buffers.depth);
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

using SoftwareRenderer = void (*)(Scene&, PixelBuffers, int, int);

// The fast path with its rows shared between two threads, as the snapshot
// tool runs it on a two-core machine.
void renderSoftwareTwoThreads(Scene& scene, PixelBuffers buffers, int width, int height) {
    renderSoftware(scene, buffers, width, height, 2);
}

// One software path alone, into freshly cleared buffers (the clear is not
// timed): renderSoftware for software/, on two threads for
// software_2_threads/, renderSoftwarePlain for software_plain/.
void renderSoftwareOnly(benchmark::State& state, FrameSize size, SoftwareRenderer render) {
    Scene scene;
    viewerStart(scene, size);
    FrameBuffers buffers;
    for (auto _ : state) {
        state.PauseTiming();
        prepareFrameBuffers(buffers, size.width, size.height);
        state.ResumeTiming();
        render(scene, buffers.pixels(), size.width, size.height);
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

// The processor's part of a viewer software frame, frame after frame at the
// same view: renderSoftwareFrame clearing what the frame before drew,
// rendering and converting the rows to window bytes, without OpenGL.
void softwarePass(benchmark::State& state, FrameSize size) {
    Scene scene;
    viewerStart(scene, size);
    FrameBuffers buffers;
    prepareFrameBuffers(buffers, size.width, size.height);
    for (auto _ : state) {
        renderSoftwareFrame(scene, buffers, size.width, size.height, {});
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

// The OpenGL surface of the frame's size current; false (the benchmark
// skipped with the reason) when there is none.
bool useSurface(benchmark::State& state, FrameSize size, BenchGl* gl) {
    std::string problem;
    if (gl->use(size.width, size.height, &problem)) return true;
    state.SkipWithError(problem.c_str());
    return false;
}

// A part of the fast path alone (stage_benchmarks.h) at the default view.
void fastPathPart(benchmark::State& state, FrameSize size,
                  void (*part)(benchmark::State&, Scene&, int, int)) {
    Scene scene;
    viewerStart(scene, size);
    part(state, scene, size.width, size.height);
    countPixels(state, size);
}

// Showing a finished software picture in the window, until OpenGL is done.
void presentBuffer(benchmark::State& state, FrameSize size, BenchGl* gl) {
    if (!useSurface(state, size, gl)) return;
    Scene scene;
    viewerStart(scene, size);
    FrameBuffers buffers;
    // A real picture and the viewer's GL state.
    drawSoftwareFrame(scene, buffers, size.width, size.height);
    glFinish();
    for (auto _ : state) {
        presentColorBuffer(buffers.color, size.width, size.height);
        glFinish();
    }
    countPixels(state, size);
}

// A whole viewer frame without the buffer swap: clear, camera, buffers,
// then the OpenGL reference renderer or the software path with presentation.
void wholeFrame(benchmark::State& state, FrameSize size, BenchGl* gl, bool openGL) {
    if (!useSurface(state, size, gl)) return;
    Scene scene;
    viewerStart(scene, size);
    FrameBuffers buffers;
    for (auto _ : state) {
        setupCamera(scene, View{}, size.width, size.height);
        if (openGL) {
            drawReferenceFrame(scene, size.width, size.height);
        } else {
            drawSoftwareFrame(scene, buffers, size.width, size.height);
        }
        glFinish();
    }
    countPixels(state, size);
}

// Leaves the default repetition and reporting to the command line when it
// sets them.
std::vector<char*> withDefaults(int argc, char** argv) {
    static char repetitions[] = "--benchmark_repetitions=5";
    static char aggregatesOnly[] = "--benchmark_report_aggregates_only=true";
    std::vector<char*> args(argv, argv + argc);
    const auto given = [&](const char* prefix) {
        for (int i = 1; i < argc; ++i) {
            if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0) return true;
        }
        return false;
    };
    if (!given("--benchmark_repetitions")) args.push_back(repetitions);
    if (!given("--benchmark_report_aggregates_only") &&
        !given("--benchmark_display_aggregates_only")) {
        args.push_back(aggregatesOnly);
    }
    args.push_back(nullptr);
    return args;
}

benchmark::internal::Benchmark* configure(benchmark::internal::Benchmark* b) {
    return b->MinWarmUpTime(kWarmUpSeconds)->UseRealTime()->Unit(benchmark::kMillisecond);
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::puts("rasterwork-bench " RW_VERSION);
            return std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    BenchOptions options;
    std::string badArgument;
    if (!takeBenchOptions(&argc, argv, &options, &badArgument)) {
        std::fprintf(stderr, "rasterwork-bench: %s\n", badArgument.c_str());
        return 1;
    }
    std::vector<char*> args = withDefaults(argc, argv);
    int count = static_cast<int>(args.size()) - 1;
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    // The fast path runs on the best of these, as the viewer's does, unless
    // --simd-target restricts it to one.
    if (options.simdTarget != 0) restrictSimdTarget(options.simdTarget);
    const std::vector<std::int64_t> targets = availableSimdTargets();
    if (!targets.empty()) benchmark::AddCustomContext("simd_target", simdTargetName(targets[0]));

    const FrameSize sizes[] = {{480, 480}, {1920, 1080}};
    std::string glProblem;
    std::string skipped;
    std::vector<std::pair<int, int>> surfaceSizes;
    for (const FrameSize size : sizes) surfaceSizes.emplace_back(size.width, size.height);
    BenchGl gl;
    const bool haveGL = gl.open(options.glPlatform, surfaceSizes, &glProblem);
    if (haveGL) {
        const GlImplementation& found = gl.implementation();
        benchmark::AddCustomContext("opengl_renderer", found.renderer);
        benchmark::AddCustomContext("opengl_vendor", found.vendor);
        benchmark::AddCustomContext("opengl_version", found.version);
        benchmark::AddCustomContext("opengl_platform", found.platform);
    }

    for (const FrameSize size : sizes) {
        const std::string name = size.name();
        configure(benchmark::RegisterBenchmark(("clear/" + name).c_str(), clearBuffers, size));
        configure(benchmark::RegisterBenchmark(("software/" + name).c_str(), renderSoftwareOnly,
                                               size, SoftwareRenderer{renderSoftware}));
        configure(benchmark::RegisterBenchmark(("software_2_threads/" + name).c_str(),
                                               renderSoftwareOnly, size,
                                               SoftwareRenderer{renderSoftwareTwoThreads}));
        configure(
            benchmark::RegisterBenchmark(("software_pass/" + name).c_str(), softwarePass, size));
        configure(benchmark::RegisterBenchmark(("span_bins/" + name).c_str(), fastPathPart, size,
                                               timeSpanBins));
        configure(benchmark::RegisterBenchmark(("conversion/" + name).c_str(), fastPathPart, size,
                                               timeConversion));
        configure(benchmark::RegisterBenchmark(("software_plain/" + name).c_str(),
                                               renderSoftwareOnly, size,
                                               SoftwareRenderer{renderSoftwarePlain}));

        const char* const glNames[] = {"present/", "software_frame/", "opengl_frame/"};
        for (int kind = 0; kind < 3; ++kind) {
            const std::string full = glNames[kind] + name;
            if (!haveGL) {
                skipped += (skipped.empty() ? "" : ", ") + full;
            } else if (kind == 0) {
                configure(benchmark::RegisterBenchmark(full.c_str(), presentBuffer, size, &gl));
            } else {
                configure(
                    benchmark::RegisterBenchmark(full.c_str(), wholeFrame, size, &gl, kind == 2));
            }
        }
    }

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!skipped.empty()) {
        std::fflush(stdout);
        std::fprintf(stderr, "rasterwork-bench: skipped %s: needs OpenGL: %s\n", skipped.c_str(),
                     glProblem.c_str());
    }
    return 0;
}
