#include "tools/compare/rule_fit_run.h"

#include "examine/renderer_comparison.h"
#include "raster/plain/near_plane.h"
#include "scene/scene.h"
#include "tools/compare/renderer_pictures.h"
#include "tools/pictures/snapshot_opengl.h"
#include "tools/pictures/snapshot_software.h"

bool fitRulesOverViews(const RenderOptions& frame, const std::vector<View>& views, int tolerance,
                       SoftwareRender render, RuleFitRun* run, std::string* error) {
    const std::string noMemory =
        "not enough memory to fit the rules over " + std::to_string(views.size()) + " views of " +
        std::to_string(frame.width) + " x " + std::to_string(frame.height) + " pixels";
    // Each reference is drawn once and kept for every candidate.
    std::vector<RendererPicture> references(views.size());
    RenderOptions opengl = frame;
    opengl.renderer = SnapshotRenderer::OpenGL;
    const auto take = [&](std::size_t v, OpenGLReadback& readback) {
        referencePicture(readback, frame.width, frame.height, &references[v]);
        if (v == 0) run->implementation = readback.implementation;
        return true;
    };
    if (!renderOpenGLViews(opengl, views, OpenGLReadback::kRgb | OpenGLReadback::kDepth, take,
                           error)) {
        return false;
    }

    std::vector<bool> left(views.size(), false);  // crosses the near plane
    bool firstScoring = true;
    SoftwareFrame drawnFrame;
    RendererPicture software;
    const RulesScore score = [&](const ReferenceRules& rules, FitScore* result) {
        *result = FitScore();
        for (std::size_t v = 0; v < views.size(); ++v) {
            if (left[v]) continue;
            RenderOptions drawn = frame;
            drawn.renderer = SnapshotRenderer::Software;
            drawn.view = views[v];
            drawn.likeReference = rules;
            if (!render(drawn, drawnFrame)) return false;
            // The render left the frame's scene with this view's camera.
            if (firstScoring && crossesNearPlane(drawnFrame.scene)) {
                left[v] = true;
                continue;
            }
            softwarePicture(drawnFrame.buffers.pixels(), frame.width, frame.height, &software);
            const ComparisonReport report = compareRenderers(software, references[v], tolerance);
            result->differing += report.differing();
            result->steps += report.stepDifferenceSum;
        }
        firstScoring = false;
        return true;
    };
    if (!fitReferenceRules(score, &run->fit)) {
        *error = noMemory;
        return false;
    }
    run->basis = FitBasis{views.size(), 0, tolerance};
    for (const bool crossing : left) run->basis.viewsFitted += !crossing;
    // A fit over no view would take every rule on no evidence.
    if (run->basis.viewsFitted == 0) {
        *error = "every view crosses the near plane: no view to fit the rules over";
        return false;
    }
    return true;
}
