// rasterwork-explain: why one pixel looks as it does, fragment by fragment
// on the software side, next to what the reference drew there.
#include <algorithm>
#include <array>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "examine/pixel_question.h"
#include "examine/pixel_why.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "tools/command_line/tool_main.h"
#include "tools/explain/explain_options.h"
#include "tools/explain/face_run.h"
#include "tools/explain/magnifier.h"
#include "tools/explain/pixel_crop.h"
#include "tools/explain/pixel_explanation.h"
#include "tools/images/image_files.h"
#include "tools/outputs/output_writer.h"
#include "tools/outputs/tool_outputs.h"
#include "tools/pictures/fitting_rules.h"
#include "tools/pictures/snapshot_opengl.h"

namespace {

// The frame's pixels the crop around (x, y) shows, clipped to the frame.
PixelRect cropRect(int x, int y, int width, int height) {
    const int half = kCropSide / 2;
    const int left = std::max(0, x - half);
    const int bottom = std::max(0, y - half);
    const int right = std::min(width - 1, x + half);
    const int top = std::min(height - 1, y + half);
    return {left, bottom, right - left + 1, top - bottom + 1};
}

// The reference side from a read-back over `rect`, which holds (x, y).
ReferencePixel referencePixel(const OpenGLReadback& readback, int x, int y) {
    const PixelRect& rect = readback.rect;
    const std::size_t i = static_cast<std::size_t>(y - rect.y) * rect.width + (x - rect.x);
    const std::size_t topDown =
        static_cast<std::size_t>(rect.height - 1 - (y - rect.y)) * rect.width + (x - rect.x);
    ReferencePixel pixel;
    for (int c = 0; c < 3; ++c) pixel.windowBytes[c] = readback.rgbTopDown[3 * topDown + c];
    pixel.windowDepth = readback.depth[i];
    pixel.object = readback.objects[i];
    return pixel;
}

PixelCrop referenceCrop(const OpenGLReadback& readback, int x, int y) {
    const PixelRect& rect = readback.rect;
    return cropAround(x, y, [&](int column, int row, CroppedPixel* pixel) {
        if (column < rect.x || column >= rect.x + rect.width || row < rect.y ||
            row >= rect.y + rect.height) {
            return false;
        }
        const std::size_t i =
            static_cast<std::size_t>(row - rect.y) * rect.width + (column - rect.x);
        const std::size_t topDown =
            static_cast<std::size_t>(rect.height - 1 - (row - rect.y)) * rect.width +
            (column - rect.x);
        for (int c = 0; c < 3; ++c) pixel->rgb[c] = readback.rgbTopDown[3 * topDown + c];
        pixel->windowDepth = readback.depth[i];
        return true;
    });
}

// The software buffers as the window would show them; the window depth of a
// normalised-device z is 0.5 z + 0.5, exact in double.
PixelCrop softwareCrop(PixelBuffers buffers, int x, int y, int width, int height) {
    return cropAround(x, y, [&](int column, int row, CroppedPixel* pixel) {
        if (column < 0 || column >= width || row < 0 || row >= height) return false;
        const std::size_t i = static_cast<std::size_t>(row) * width + column;
        pixel->rgb = windowBytesOf(buffers.color[i]);
        pixel->windowDepth = windowDepthOf(buffers.depth[i]);
        return true;
    });
}

ToolResult run(const ExplainOptions& options) {
    if (options.face) return explainFace(options);
    std::vector<OutputTarget> targets;
    std::string error;
    if (!prepareCropOutput(options, &targets, &error)) return badArguments(error);

    RenderOptions frame = options.frame;
    const int width = frame.width;
    const int height = frame.height;
    const int x = options.x;
    const int y = options.y;
    const std::string noMemory = notEnoughMemory(width, height, "frame");
    PixelExplanation explanation;
    std::vector<std::uint8_t> png;
    std::string text;
    try {
        frame.renderer = SnapshotRenderer::OpenGL;
        OpenGLReadback readback;
        readback.rect = cropRect(x, y, width, height);
        const unsigned parts =
            OpenGLReadback::kRgb | OpenGLReadback::kDepth | OpenGLReadback::kObjects;
        if (renderOpenGLSnapshot(frame, parts, &readback, &error)) {
            explanation.reference = referencePixel(readback, x, y);
        } else if (!readback.platformFound) {
            explanation.referenceMissing = error;  // explaining the software side needs no OpenGL
        } else {
            return failed(error);
        }

        FrameBuffers buffers;
        PixelQuestion question;
        question.view = frame.view;
        question.width = width;
        question.height = height;
        question.rules = frame.likeReference;
        // --like-reference all: the rules that hold for the OpenGL found.
        std::string rulesNote;
        if (frame.likeReferenceAll && explanation.reference) {
            question.rules = rulesFitting(readback.implementation, &rulesNote);
        }
        question.x = x;
        question.y = y;
        explanation.settledBy =
            settlingStepAt(frame.view, width, height, x, y,
                           explanation.reference ? &*explanation.reference : nullptr, buffers);
        // The model first: the story's frame stays in the buffers for the crop.
        explanation.model = modelReferencePixel(question, buffers);
        if (!explanation.model) return failed(noMemory);
        std::optional<PixelStory> story = tellPixelStory(question, buffers);
        if (!story) return failed(noMemory);
        explanation.software = std::move(*story);
        explanation.why = pixelWhy(explanation.software,
                                   explanation.reference ? &*explanation.reference : nullptr,
                                   &*explanation.model, explanation.settledBy, question.rules)
                              .sentences();

        if (!targets.empty()) {
            const PixelCrop softwarePanel = softwareCrop(buffers.pixels(), x, y, width, height);
            PixelCrop referencePanel;
            if (explanation.reference) referencePanel = referenceCrop(readback, x, y);
            const RgbCanvas panels =
                composePixelCrop(softwarePanel, explanation.reference ? &referencePanel : nullptr);
            const PixelRect& r = readback.rect;
            const ReferenceDepthRect depth{&readback.depth, r.x, r.y, r.width, r.height};
            std::string ignored;
            const int grid = explanation.reference
                                 ? rulesFitting(readback.implementation, &ignored).subpixel
                                 : kDefaultSubpixelBits;
            MagnifierGeometry geometry =
                magnifyAround(frame.view, width, height, question.rules, grid, x, y, std::nullopt,
                              explanation.reference ? &depth : nullptr, buffers);
            geometry.title = "PIXEL " + std::to_string(x) + " " + std::to_string(y) +
                             ": SOFTWARE PICTURE. OUTLINES. ROW WALK";
            const RgbCanvas crop = stackedPictures(drawMagnifier(geometry), panels);
            if (!encodePng(crop.rgb.data(), crop.width, crop.height, &png, &error)) {
                return failed("cannot make the PNG picture: " + error);
            }
        }
        text = options.json ? explanationJson(explanation, readback.implementation)
                            : explanationText(explanation, readback.implementation);
        if (question.rules.any()) {
            // The rules taken lead the text and close the JSON object.
            if (options.json) {
                text.insert(text.size() - 2, ", " + rulesTakenJsonMember(question.rules));
            } else {
                text = rulesTakenText(question.rules) + rulesNote + "\n" + text;
            }
        }
    } catch (const std::bad_alloc&) {
        return failed(noMemory);
    }
    // The explanation first: one that cannot be written leaves the crop's
    // file as it was.
    if (!writeStandardOutput(text, &error)) return failed(error);
    if (!targets.empty() && !writeOutputs(targets, {&png}, &error)) return failed(error);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    return toolMain(explainCommand(), argc, argv, run);
}
