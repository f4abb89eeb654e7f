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

// Copies the rows of a bottom-up depth array into *result top row first,
// each value mapped by toWindow.
template <typename ToWindow>
void windowDepthTopDown(const float* depths, int width, int height, ToWindow toWindow,
                        std::vector<double>* result) {
    const std::size_t w = static_cast<std::size_t>(width);
    result->resize(w * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const float* source = depths + static_cast<std::size_t>(height - 1 - row) * w;
        for (std::size_t x = 0; x < w; ++x) (*result)[row * w + x] = toWindow(source[x]);
    }
}

// The software frame as the window would show it, into the picture's
// storage. Its depth buffer holds normalised-device z (-1 near to 1 far);
// the default depth range maps that to window depth 0..1, exactly so in
// double.
void softwarePicture(int width, int height, RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    colorBufferToRgbTopDown(colorBuffer, width, height, picture->rgb.data());
    windowDepthTopDown(
        depthBuffer, width, height, [](float z) { return 0.5 * static_cast<double>(z) + 0.5; },
        &picture->windowDepth);
}

void referencePicture(OpenGLReadback& readback, int width, int height, RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb = std::move(readback.rgbTopDown);
    windowDepthTopDown(
        readback.depth.data(), width, height, [](float z) { return static_cast<double>(z); },
        &picture->windowDepth);
}

// Takes the memory of everything the comparison holds at once (the software
// buffers, the read-back, both pictures; the panels and their PNG as
// `spare`, given back before they are made), so that a size that does not
// fit fails before anything is rendered. False when the buffers do not fit.
bool reserveMemory(int width, int height, bool png, OpenGLReadback* readback,
                   RendererPicture* reference, RendererPicture* software,
                   std::vector<std::uint8_t>* spare) {
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    readback->rgbTopDown.reserve(pixels * 3);
    readback->depth.reserve(pixels);
    reference->windowDepth.reserve(pixels);
    software->rgb.reserve(pixels * 3);
    software->windowDepth.reserve(pixels);
    if (png) {
        // Three panels side by side, with room below for the captions.
        const int panelsWidth = 3 * width + 2 * kPanelGap;
        const int panelsHeight = height + 200;
        spare->reserve(static_cast<std::size_t>(panelsWidth) * panelsHeight * 3 +
                       pngSizeBound(panelsWidth, panelsHeight));
    }
    // Last: these are cleared as they are taken, which takes a while.
    return prepareFrameBuffers(width, height);
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
        OpenGLReadback readback;
        RendererPicture reference;
        RendererPicture software;
        std::vector<std::uint8_t> spare;
        if (!reserveMemory(width, height, !targets.empty(), &readback, &reference, &software,
                           &spare)) {
            return failed(noMemory);
        }
        // The reference first: its frame clears the software buffers.
        frame.renderer = SnapshotRenderer::OpenGL;
        if (!renderOpenGLSnapshot(frame, OpenGLReadback::kRgb | OpenGLReadback::kDepth, &readback,
                                  &error)) {
            return failed(error);
        }
        referencePicture(readback, width, height, &reference);
        frame.renderer = SnapshotRenderer::Software;
        if (!renderSoftwareSnapshot(frame)) return failed(noMemory);
        softwarePicture(width, height, &software);
        std::vector<std::uint8_t>().swap(spare);

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
