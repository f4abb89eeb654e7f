#include "tools/explain/face_run.h"

#include <new>
#include <optional>
#include <string>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/explain/face_scan.h"
#include "raster/explain/pixel_story.h"
#include "scene/default_scene.h"
#include "tools/common/fitting_rules.h"
#include "tools/common/snapshot_opengl.h"
#include "tools/explain/face_text.h"
#include "view/camera.h"

ToolResult explainFace(const ExplainOptions& options) {
    RenderOptions frame = options.frame;
    const int width = frame.width;
    const int height = frame.height;
    const std::string noMemory = "not enough memory for a " + std::to_string(width) + " x " +
                                 std::to_string(height) + " frame";
    std::string text;
    try {
        ReferenceRules rules = frame.likeReference;
        std::string rulesNote;
        if (frame.likeReferenceAll) {
            // The rules that hold for the OpenGL found; every rule without one.
            frame.renderer = SnapshotRenderer::OpenGL;
            OpenGLReadback readback;
            readback.rect = {0, 0, 1, 1};
            std::string error;
            if (renderOpenGLSnapshot(frame, OpenGLReadback::kDepth, &readback, &error)) {
                rules = rulesFitting(readback.implementation, &rulesNote);
            }
        }
        if (!prepareFrameBuffers(width, height)) return failed(noMemory);
        Scene scene;
        buildDefaultScene(scene);
        setupCamera(scene, frame.view, width, height);
        const std::optional<FaceScan> scan =
            scanFace(scene, width, height, rules, options.face->object, options.face->face);
        if (!scan)
            return failed("no face " + std::to_string(options.face->object) + ":" +
                          std::to_string(options.face->face));
        const std::string name =
            objectColourName(scene.objects[static_cast<std::size_t>(scan->object)]);
        text = options.json ? faceScanJson(*scan, name, width, height)
                            : faceScanText(*scan, name, width, height);
        if (rules.any()) {
            if (options.json) {
                text.insert(text.size() - 2, ", " + rulesTakenJsonMember(rules));
            } else {
                text = rulesTakenText(rules) + rulesNote + "\n" + text;
            }
        }
    } catch (const std::bad_alloc&) {
        return failed(noMemory);
    }
    std::string error;
    if (!writeStandardOutput(text, &error)) return failed(error);
    return {};
}
