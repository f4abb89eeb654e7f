// rasterwork-snapshot: renders the default scene once and writes the picture,
// its float colour and depth, and pictures of the software stages to files.
#include <array>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "examine/buffer_pictures.h"
#include "raster/buffers/frame_buffers.h"
#include "scene/scene.h"
#include "tools/command_line/tool_main.h"
#include "tools/images/image_files.h"
#include "tools/outputs/output_target.h"
#include "tools/outputs/output_writer.h"
#include "tools/outputs/tool_outputs.h"
#include "tools/pictures/snapshot_opengl.h"
#include "tools/pictures/snapshot_software.h"
#include "tools/snapshot/snapshot_options.h"
#include "tools/snapshot/snapshot_outputs.h"
#include "tools/snapshot/stage_pictures.h"

namespace {

// The encoded files, by index into kSnapshotOutputs.
using EncodedOutputs = std::array<std::vector<std::uint8_t>, kSnapshotOutputCount>;

// The parts of the frame the wanted outputs read.
unsigned partsRead(const std::vector<std::size_t>& wanted) {
    unsigned parts = 0;
    for (const std::size_t i : wanted) parts |= kSnapshotOutputs[i].reads;
    return parts;
}

// What the reference renderer reads back for those parts.
unsigned readbackParts(unsigned parts) {
    return (parts & kWindowRgb ? OpenGLReadback::kRgb : 0u) |
           (parts & kFloatColor ? OpenGLReadback::kColor : 0u) |
           (parts & kFloatDepth ? OpenGLReadback::kDepth : 0u);
}

// Takes the memory for the picture, the reference renderer's read-back and
// the encoded files, so that a size that does not fit fails before rendering.
void reserveMemory(const SnapshotOptions& o, const std::vector<std::size_t>& wanted,
                   OpenGLReadback* readback, EncodedOutputs* encoded) {
    const std::size_t pixels = static_cast<std::size_t>(o.width) * o.height;
    const unsigned parts = partsRead(wanted);
    const bool opengl = o.renderer == SnapshotRenderer::OpenGL;
    if (parts & kWindowRgb) readback->rgbTopDown.reserve(pixels * 3);
    if (opengl && (parts & kFloatColor)) readback->color.reserve(pixels);
    if (opengl && (parts & kFloatDepth)) readback->depth.reserve(pixels);
    for (const std::size_t i : wanted) {
        (*encoded)[i].reserve(kSnapshotOutputs[i].encodedSize(o.width, o.height));
    }
}

ToolResult run(const SnapshotOptions& options) {
    // The wanted outputs in the order of kSnapshotOutputs; the targets come
    // back in the same order.
    std::vector<std::size_t> wanted;
    std::vector<std::pair<std::string, std::string>> named;
    for (std::size_t i = 0; i < kSnapshotOutputCount; ++i) {
        const SnapshotOutput& output = kSnapshotOutputs[i];
        if ((options.*output.path).empty()) continue;
        wanted.push_back(i);
        named.emplace_back(output.flag, options.*output.path);
    }
    std::vector<OutputTarget> targets;
    std::string error;
    if (!prepareOutputs(named, "", &targets, &error)) return badArguments(error);

    const int width = options.width;
    const int height = options.height;
    const std::string noMemory = notEnoughMemory(width, height, "picture");
    const unsigned parts = partsRead(wanted);
    OpenGLReadback readback;
    EncodedOutputs encoded;
    try {
        reserveMemory(options, wanted, &readback, &encoded);
        RenderedSnapshot frame;
        frame.width = width;
        frame.height = height;
        // The faces and the fragment counts are watched on the plain path,
        // which draws the same buffers as the fast one.
        std::optional<StageRecorder> stages;
        SoftwareFrame software;
        if (options.renderer == SnapshotRenderer::OpenGL) {
            if (!renderOpenGLSnapshot(options, readbackParts(parts), &readback, &error)) {
                return failed(error);
            }
            frame.colors = readback.color.data();
            frame.depths = readback.depth.data();
        } else {
            if (parts & kStages) stages.emplace(width, height);
            if (!renderSoftwareSnapshot(options, software, stages ? &*stages : nullptr)) {
                return failed(noMemory);
            }
            if (parts & kWindowRgb) {
                readback.rgbTopDown.resize(static_cast<std::size_t>(width) * height * 3);
                colorBufferToRgbTopDown(software.buffers.color, width, height,
                                        readback.rgbTopDown.data());
            }
            frame.colors = software.buffers.color;
            frame.depths = software.buffers.depth;
            frame.stages = stages ? &*stages : nullptr;
            frame.scene = &software.scene;
        }
        frame.rgbTopDown = readback.rgbTopDown.data();
        for (const std::size_t i : wanted) {
            if (!kSnapshotOutputs[i].encode(frame, &encoded[i], &error)) return failed(error);
        }
    } catch (const std::bad_alloc&) {
        return failed(noMemory);
    }

    std::vector<const std::vector<std::uint8_t>*> contents;
    for (const std::size_t i : wanted) contents.push_back(&encoded[i]);
    if (!writeOutputs(targets, contents, &error)) return failed(error);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    return toolMain(snapshotCommand(), argc, argv, run);
}
