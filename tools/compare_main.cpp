// rasterwork-compare: renders the default scene with both renderers and
// reports, as numbers and optionally as a picture, how the software picture
// differs from the reference.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "raster/frame_buffers.h"
#include "tools/compare_options.h"
#include "tools/comparison_panels.h"
#include "tools/image_files.h"
#include "tools/output_file.h"
#include "tools/renderer_comparison.h"
#include "tools/snapshot_render.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "rasterwork-compare: %s\n", message.c_str());
    return status;
}

// Copies the rows of a bottom-up depth array top row first, each value
// mapped by toWindow.
template <typename ToWindow>
std::vector<double> windowDepthTopDown(const float* depths, int width, int height,
                                       ToWindow toWindow) {
    const std::size_t w = static_cast<std::size_t>(width);
    std::vector<double> result(w * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const float* source = depths + static_cast<std::size_t>(height - 1 - row) * w;
        for (std::size_t x = 0; x < w; ++x) result[row * w + x] = toWindow(source[x]);
    }
    return result;
}

// The software frame as the window would show it. Its depth buffer holds
// normalised-device z (-1 near to 1 far); the default depth range maps that
// to window depth 0..1, exactly so in double.
RendererPicture softwarePicture(int width, int height) {
    RendererPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb = colorBufferToRgbTopDown(colorBuffer, width, height);
    picture.windowDepth = windowDepthTopDown(
        depthBuffer, width, height, [](float z) { return 0.5 * static_cast<double>(z) + 0.5; });
    return picture;
}

RendererPicture referencePicture(OpenGLReadback& readback, int width, int height) {
    RendererPicture picture;
    picture.width = width;
    picture.height = height;
    picture.rgb = std::move(readback.rgbTopDown);
    picture.windowDepth = windowDepthTopDown(readback.depth.data(), width, height,
                                             [](float z) { return static_cast<double>(z); });
    return picture;
}

int run(const CompareOptions& options) {
    // Opened before rendering, so a bad path costs no render; the temporary
    // file vanishes unless committed.
    std::unique_ptr<OutputFile> png;
    if (!options.pngPath.empty()) {
        png = std::make_unique<OutputFile>(options.pngPath);
        std::string error;
        if (!png->open(&error)) return fail(kBadArguments, error);
    }

    SnapshotOptions frame = options.frame;
    const int width = frame.width;
    const int height = frame.height;
    try {
        // The reference first: its frame clears the software buffers.
        frame.renderer = SnapshotRenderer::OpenGL;
        OpenGLReadback readback;
        std::string error;
        if (!renderOpenGLSnapshot(frame, OpenGLReadback::kRgb | OpenGLReadback::kDepth, &readback,
                                  &error)) {
            return fail(kFailed, error);
        }
        const RendererPicture reference = referencePicture(readback, width, height);
        frame.renderer = SnapshotRenderer::Software;
        renderSoftwareSnapshot(frame);
        const RendererPicture software = softwarePicture(width, height);

        const ComparisonReport report = compareRenderers(software, reference);
        if (png) {
            const RgbCanvas panels = composeComparisonPanels(software, reference);
            errno = 0;
            if (!writePng(png->stream(), panels.rgb.data(), panels.width, panels.height)) {
                const int code = errno ? errno : EIO;
                return fail(kFailed, "cannot write '" + png->path() + "': " + std::strerror(code));
            }
            if (!png->commit(&error)) return fail(kFailed, error);
        }
        const std::string text = options.json ? reportJson(report) : reportText(report);
        std::fputs(text.c_str(), stdout);
    } catch (const std::bad_alloc&) {
        return fail(kFailed, "not enough memory for a " + std::to_string(width) + " x " +
                                 std::to_string(height) + " comparison");
    }
    return std::fflush(stdout) == 0 ? 0 : fail(kFailed, "cannot write the report");
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedCompareArguments parsed = parseCompareArguments(args);
    switch (parsed.outcome) {
        case CommandOutcome::Help:
            std::fputs(compareUsage().c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : kFailed;
        case CommandOutcome::Version:
            std::puts(versionLine("rasterwork-compare").c_str());
            return std::fflush(stdout) == 0 ? 0 : kFailed;
        case CommandOutcome::Error:
            return fail(kBadArguments, parsed.error);
        case CommandOutcome::Run:
            break;
    }
    return run(parsed.options);
}
