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
#include "tools/output_target.h"
#include "tools/output_writer.h"
#include "tools/renderer_comparison.h"
#include "tools/snapshot_render.h"
#include "tools/tool_main.h"
#include "tools/tool_outputs.h"

namespace {

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

ToolResult run(const CompareOptions& options) {
    // Checked before rendering, so a bad path costs no render. The report
    // goes to standard output, so the picture may not.
    std::vector<OutputTarget> targets;
    std::string error;
    std::vector<std::pair<std::string, std::string>> named;
    if (!options.pngPath.empty()) named.emplace_back("--png", options.pngPath);
    if (!prepareOutputs(named, "the report", &targets, &error)) return badArguments(error);

    SnapshotOptions frame = options.frame;
    const int width = frame.width;
    const int height = frame.height;
    const std::string noMemory = "not enough memory for a " + std::to_string(width) + " x " +
                                 std::to_string(height) + " comparison";
    std::vector<std::uint8_t> png;
    std::string text;
    try {
        // The reference first: its frame clears the software buffers.
        frame.renderer = SnapshotRenderer::OpenGL;
        OpenGLReadback readback;
        if (!renderOpenGLSnapshot(frame, OpenGLReadback::kRgb | OpenGLReadback::kDepth, &readback,
                                  &error)) {
            return failed(error);
        }
        const RendererPicture reference = referencePicture(readback, width, height);
        frame.renderer = SnapshotRenderer::Software;
        if (!renderSoftwareSnapshot(frame)) return failed(noMemory);
        const RendererPicture software = softwarePicture(width, height);

        const ComparisonReport report = compareRenderers(software, reference);
        if (!targets.empty()) {
            const RgbCanvas panels = composeComparisonPanels(software, reference);
            if (!encodePng(panels.rgb.data(), panels.width, panels.height, &png, &error)) {
                return failed("cannot make the PNG picture: " + error);
            }
        }
        text = options.json ? reportJson(report) : reportText(report);
    } catch (const std::bad_alloc&) {
        return failed(noMemory);
    }
    // The report first: a report that cannot be written leaves the picture's
    // file as it was.
    if (!writeStandardOutput(text, &error)) return failed(error);
    if (!targets.empty() && !writeOutputs(targets, {&png}, &error)) return failed(error);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    return toolMain(compareCommand(), argc, argv, run);
}
