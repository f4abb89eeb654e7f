#include "tools/explain/face_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "examine/face_scan_json.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/explain/face_scan.h"
#include "raster/explain/pixel_story.h"
#include "tools/explain/face_text.h"
#include "tools/explain/magnifier.h"
#include "tools/images/image_files.h"
#include "tools/outputs/output_writer.h"
#include "tools/outputs/tool_outputs.h"
#include "tools/pictures/fitting_rules.h"
#include "tools/pictures/snapshot_opengl.h"
#include "view/camera.h"

namespace {

// The pixel the crop is centred on: the one asked for, else the one holding
// the middle of the face's corners (inside the frame).
std::array<int, 2> cropCentre(const ExplainOptions& o, const FaceScan& scan) {
    if (o.pixelGiven || scan.corners.empty()) return {o.x, o.y};
    double x = 0.0, y = 0.0;
    for (const Vec3& c : scan.corners) {
        x += c.x;
        y += c.y;
    }
    const double n = static_cast<double>(scan.corners.size());
    const auto inside = [](double v, int side) {
        return static_cast<int>(std::clamp(std::floor(v), 0.0, static_cast<double>(side - 1)));
    };
    return {inside(x / n, o.frame.width), inside(y / n, o.frame.height)};
}

}  // namespace

ToolResult explainFace(const ExplainOptions& options) {
    std::vector<OutputTarget> targets;
    std::string error;
    if (!prepareCropOutput(options, &targets, &error)) return badArguments(error);

    RenderOptions frame = options.frame;
    const int width = frame.width;
    const int height = frame.height;
    const std::string noMemory = notEnoughMemory(width, height, "frame");
    std::string text;
    std::vector<std::uint8_t> png;
    try {
        ReferenceRules rules = frame.likeReference;
        std::string rulesNote;
        // The reference up to the face, for the rules that hold for the
        // OpenGL found and the crop's coverage; without OpenGL the model.
        frame.renderer = SnapshotRenderer::OpenGL;
        frame.stopAfter = *options.face;
        OpenGLReadback readback;
        bool drawn = false;
        if (frame.likeReferenceAll || !targets.empty()) {
            drawn = renderOpenGLSnapshot(frame, OpenGLReadback::kDepth, &readback, &error);
            if (!drawn && readback.platformFound) return failed(error);
            if (drawn && frame.likeReferenceAll) {
                rules = rulesFitting(readback.implementation, &rulesNote);
            }
        }
        FrameBuffers buffers;
        if (!prepareFrameBuffers(buffers, width, height)) return failed(noMemory);
        Scene scene = defaultSceneSeenFrom(frame.view, width, height);
        const std::optional<FaceScan> scan = scanFace(scene, buffers.pixels(), width, height, rules,
                                                      options.face->object, options.face->face);
        if (!scan)
            return failed("no face " + std::to_string(options.face->object) + ":" +
                          std::to_string(options.face->face));
        const std::string name =
            objectColourName(scene.objects[static_cast<std::size_t>(scan->object)]);
        text = options.json ? faceScanJson(*scan, name, width, height, rules)
                            : faceScanText(*scan, name, width, height);
        if (!targets.empty()) {
            const std::array<int, 2> centre = cropCentre(options, *scan);
            const PixelRect& r = readback.rect;
            const ReferenceDepthRect depth{&readback.depth, r.x, r.y, r.width, r.height};
            std::string ignored;
            const int grid = drawn ? rulesFitting(readback.implementation, &ignored).subpixel
                                   : kDefaultSubpixelBits;
            MagnifierGeometry geometry =
                magnifyAround(frame.view, width, height, rules, grid, centre[0], centre[1],
                              options.face, drawn ? &depth : nullptr, buffers);
            geometry.title = "FACE " + std::to_string(scan->object) + ":" +
                             std::to_string(scan->face) +
                             " ON THE FACES BEFORE IT: EDGES AND SPANS";
            const RgbCanvas crop = drawMagnifier(geometry);
            if (!encodePng(crop.rgb.data(), crop.width, crop.height, &png, &error)) {
                return failed("cannot make the PNG picture: " + error);
            }
        }
        if (rules.any() && !options.json) text = rulesTakenText(rules) + rulesNote + "\n" + text;
    } catch (const std::bad_alloc&) {
        return failed(noMemory);
    }
    if (!writeStandardOutput(text, &error)) return failed(error);
    if (!targets.empty() && !writeOutputs(targets, {&png}, &error)) return failed(error);
    return {};
}
