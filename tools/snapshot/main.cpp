// rasterwork-snapshot: renders the default scene once and writes the picture,
// its float colour and depth, and pictures of the software stages to files.
#include <cstdio>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "tools/common/image_files.h"
#include "tools/common/output_target.h"
#include "tools/common/output_writer.h"
#include "tools/common/snapshot_options.h"
#include "tools/common/snapshot_render.h"
#include "tools/common/tool_main.h"
#include "tools/common/tool_outputs.h"
#include "tools/snapshot/stage_pictures.h"

namespace {

// The encoded files, with their memory taken before anything is rendered.
struct EncodedOutputs {
    std::vector<std::uint8_t> png;
    std::vector<std::uint8_t> colorPfm;
    std::vector<std::uint8_t> depthPfm;
    std::vector<std::uint8_t> depthPng;
    std::vector<std::uint8_t> facesPng;
    std::vector<std::uint8_t> fragmentsPng;
};

bool encodePicture(const RgbCanvas& picture, std::vector<std::uint8_t>* png, std::string* error) {
    return encodePng(picture.rgb.data(), picture.width, picture.height, png, error);
}

// The stage pictures asked for, from the buffers and what `stages` saw.
bool encodeStagePictures(const SnapshotOptions& o, const StageRecorder* stages,
                         EncodedOutputs* encoded, std::string* error) {
    return (o.depthPngPath.empty() || encodePicture(depthPicture(depthBuffer, o.width, o.height),
                                                    &encoded->depthPng, error)) &&
           (o.facesPngPath.empty() ||
            encodePicture(facesPicture(*stages, scene), &encoded->facesPng, error)) &&
           (o.fragmentsPngPath.empty() ||
            encodePicture(fragmentsPicture(*stages), &encoded->fragmentsPng, error));
}

// Takes the memory for the picture, the reference renderer's read-back and
// the encoded files, so that a size that does not fit fails before rendering.
void reserveMemory(const SnapshotOptions& o, OpenGLReadback* readback, EncodedOutputs* encoded) {
    const std::size_t pixels = static_cast<std::size_t>(o.width) * o.height;
    const bool opengl = o.renderer == SnapshotRenderer::OpenGL;
    if (!o.pngPath.empty()) {
        readback->rgbTopDown.reserve(pixels * 3);
        encoded->png.reserve(pngSizeBound(o.width, o.height));
    }
    if (!o.colorPfmPath.empty()) {
        if (opengl) readback->color.reserve(pixels);
        encoded->colorPfm.reserve(pfmSize(3, o.width, o.height));
    }
    if (!o.depthPfmPath.empty()) {
        if (opengl) readback->depth.reserve(pixels);
        encoded->depthPfm.reserve(pfmSize(1, o.width, o.height));
    }
    const int stageHeight = o.height + stageLegendHeight(o.width);
    const std::pair<const std::string*, std::vector<std::uint8_t>*> stages[] = {
        {&o.depthPngPath, &encoded->depthPng},
        {&o.facesPngPath, &encoded->facesPng},
        {&o.fragmentsPngPath, &encoded->fragmentsPng}};
    for (const auto& [path, png] : stages) {
        if (!path->empty()) png->reserve(pngSizeBound(o.width, stageHeight));
    }
}

ToolResult run(const SnapshotOptions& options) {
    std::vector<std::pair<std::string, std::string>> named;
    if (!options.pngPath.empty()) named.emplace_back("--png", options.pngPath);
    if (!options.colorPfmPath.empty()) named.emplace_back("--color-pfm", options.colorPfmPath);
    if (!options.depthPfmPath.empty()) named.emplace_back("--depth-pfm", options.depthPfmPath);
    if (!options.depthPngPath.empty()) named.emplace_back("--depth-png", options.depthPngPath);
    if (!options.facesPngPath.empty()) named.emplace_back("--faces-png", options.facesPngPath);
    if (!options.fragmentsPngPath.empty()) {
        named.emplace_back("--fragments-png", options.fragmentsPngPath);
    }
    std::vector<OutputTarget> targets;
    std::string error;
    if (!prepareOutputs(named, "", &targets, &error)) return badArguments(error);

    const int width = options.width;
    const int height = options.height;
    const std::string noMemory = "not enough memory for a " + std::to_string(width) + " x " +
                                 std::to_string(height) + " picture";
    OpenGLReadback readback;
    EncodedOutputs encoded;
    try {
        reserveMemory(options, &readback, &encoded);
        const Color* colors = colorBuffer;
        const float* depths = depthBuffer;
        if (options.renderer == SnapshotRenderer::OpenGL) {
            const unsigned parts = (options.pngPath.empty() ? 0u : OpenGLReadback::kRgb) |
                                   (options.colorPfmPath.empty() ? 0u : OpenGLReadback::kColor) |
                                   (options.depthPfmPath.empty() ? 0u : OpenGLReadback::kDepth);
            if (!renderOpenGLSnapshot(options, parts, &readback, &error)) {
                return failed(error);
            }
            colors = readback.color.data();
            depths = readback.depth.data();
        } else {
            // The faces and the fragment counts are watched on the plain
            // path, which draws the same buffers as the fast one.
            std::optional<StageRecorder> stages;
            if (!options.facesPngPath.empty() || !options.fragmentsPngPath.empty()) {
                stages.emplace(width, height);
            }
            if (!renderSoftwareSnapshot(options, stages ? &*stages : nullptr)) {
                return failed(noMemory);
            }
            if (!encodeStagePictures(options, stages ? &*stages : nullptr, &encoded, &error)) {
                return failed("cannot make the PNG picture: " + error);
            }
            colors = colorBuffer;
            depths = depthBuffer;
            if (!options.pngPath.empty()) {
                readback.rgbTopDown.resize(static_cast<std::size_t>(width) * height * 3);
                colorBufferToRgbTopDown(colorBuffer, width, height, readback.rgbTopDown.data());
            }
        }
        if (!options.pngPath.empty() &&
            !encodePng(readback.rgbTopDown.data(), width, height, &encoded.png, &error)) {
            return failed("cannot make the PNG picture: " + error);
        }
        if (!options.colorPfmPath.empty()) encodeColorPfm(colors, width, height, &encoded.colorPfm);
        if (!options.depthPfmPath.empty()) encodeDepthPfm(depths, width, height, &encoded.depthPfm);
    } catch (const std::bad_alloc&) {
        return failed(noMemory);
    }

    std::vector<const std::vector<std::uint8_t>*> contents;
    for (const OutputTarget& target : targets) {
        if (target.label == "--png") contents.push_back(&encoded.png);
        if (target.label == "--color-pfm") contents.push_back(&encoded.colorPfm);
        if (target.label == "--depth-pfm") contents.push_back(&encoded.depthPfm);
        if (target.label == "--depth-png") contents.push_back(&encoded.depthPng);
        if (target.label == "--faces-png") contents.push_back(&encoded.facesPng);
        if (target.label == "--fragments-png") contents.push_back(&encoded.fragmentsPng);
    }
    if (!writeOutputs(targets, contents, &error)) return failed(error);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    return toolMain(snapshotCommand(), argc, argv, run);
}
