// rasterwork-bench: times the parts of a viewer frame for the default scene
// and view at 480 x 480 (the viewer's window) and 1920 x 1080.
//
// Without a display the OpenGL benchmarks are skipped, and one line on
// standard error names them and the reason. Unless the
// command line says otherwise every benchmark runs five times after a
// warm-up and only the aggregates (median, mean, spread) are reported.
#include <benchmark/benchmark.h>

#include <GL/freeglut.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "frame/reference_frame.h"
#include "gl/present.h"
#include "gl/surface/gl_window.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/simd_targets.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace {

constexpr double kWarmUpSeconds = 0.5;

struct FrameSize {
    int width;
    int height;
    std::string name() const { return std::to_string(width) + "x" + std::to_string(height); }
    long pixels() const { return static_cast<long>(width) * height; }
};

// The scene and view state as the viewer has them after start-up.
void viewerStart(bool openGL) {
    resetViewState();
    useOpenGL = openGL;
    buildDefaultScene(scene);
}

void countPixels(benchmark::State& state, FrameSize size) {
    state.SetItemsProcessed(state.iterations() * size.pixels());
}

// Sizing and clearing of the colour and depth buffers at an unchanged size,
// as every frame does it.
void clearBuffers(benchmark::State& state, FrameSize size) {
    prepareFrameBuffers(size.width, size.height);
    for (auto _ : state) {
        prepareFrameBuffers(size.width, size.height);
        benchmark::DoNotOptimize(colorBuffer);
        benchmark::DoNotOptimize(depthBuffer);
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

using SoftwareRenderer = void (*)(Scene&, int, int);

// The fast path with its rows shared between two threads, as the snapshot
// tool runs it on a two-core machine.
void renderSoftwareTwoThreads(Scene& scene, int width, int height) {
    renderSoftware(scene, width, height, 2);
}

// One software path alone, into freshly cleared buffers (the clear is not
// timed): renderSoftware for software/, on two threads for
// software_2_threads/, renderSoftwarePlain for software_plain/.
void renderSoftwareOnly(benchmark::State& state, FrameSize size, SoftwareRenderer render) {
    viewerStart(false);
    setupCamera(scene, size.width, size.height);
    for (auto _ : state) {
        state.PauseTiming();
        prepareFrameBuffers(size.width, size.height);
        state.ResumeTiming();
        render(scene, size.width, size.height);
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

// The processor's part of a viewer software frame, frame after frame at the
// same view: renderSoftwareFrame clearing what the frame before drew,
// rendering and converting the rows to window bytes, without OpenGL.
void softwarePass(benchmark::State& state, FrameSize size) {
    viewerStart(false);
    setupCamera(scene, size.width, size.height);
    prepareFrameBuffers(size.width, size.height);
    for (auto _ : state) {
        renderSoftwareFrame(scene, size.width, size.height, {});
        benchmark::ClobberMemory();
    }
    countPixels(state, size);
}

// Showing a finished software picture in the window, until OpenGL is done.
void presentBuffer(benchmark::State& state, FrameSize size, int window) {
    glutSetWindow(window);
    viewerStart(false);
    drawReferenceFrame(scene, size.width, size.height);  // a real picture and the viewer's GL state
    glFinish();
    for (auto _ : state) {
        presentColorBuffer(size.width, size.height);
        glFinish();
    }
    countPixels(state, size);
}

// A whole viewer frame without the buffer swap: clear, camera, buffers,
// then the OpenGL reference renderer or the software path with presentation.
void wholeFrame(benchmark::State& state, FrameSize size, int window, bool openGL) {
    glutSetWindow(window);
    viewerStart(openGL);
    for (auto _ : state) {
        drawReferenceFrame(scene, size.width, size.height);
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
    std::vector<char*> args = withDefaults(argc, argv);
    int count = static_cast<int>(args.size()) - 1;
    benchmark::Initialize(&count, args.data());
    if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
    const std::vector<std::int64_t> targets = availableSimdTargets();
    // The fast path runs on the best of these, as the viewer's does.
    if (!targets.empty()) benchmark::AddCustomContext("simd_target", simdTargetName(targets[0]));

    const FrameSize sizes[] = {{480, 480}, {1920, 1080}};
    std::string glProblem;
    std::string skipped;
    const bool haveGL = initGlutOnDisplay("rasterwork-bench", &glProblem);

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
        configure(benchmark::RegisterBenchmark(("software_plain/" + name).c_str(),
                                               renderSoftwareOnly, size,
                                               SoftwareRenderer{renderSoftwarePlain}));

        std::string problem = glProblem;
        const int window =
            haveGL ? openFrameWindow(size.width, size.height, "Rasterwork benchmark", &problem) : 0;
        const char* const glNames[] = {"present/", "software_frame/", "opengl_frame/"};
        for (int kind = 0; kind < 3; ++kind) {
            const std::string full = glNames[kind] + name;
            if (!window) {
                skipped += (skipped.empty() ? "" : ", ") + full;
                glProblem = problem;
            } else if (kind == 0) {
                configure(benchmark::RegisterBenchmark(full.c_str(), presentBuffer, size, window));
            } else {
                configure(benchmark::RegisterBenchmark(full.c_str(), wholeFrame, size, window,
                                                       kind == 2));
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
