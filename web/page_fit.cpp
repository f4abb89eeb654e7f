#include "web/page_fit.h"

#include "inspect/buffer_pictures.h"
#include "inspect/renderer_comparison.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/render_like_reference.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/page_frame.h"

bool scoreRulesAgainst(const View& view, int width, int height, const ReferenceRules& rules,
                       const std::vector<std::uint8_t>& rgba, PageFitScore* score) {
    RendererPicture reference;
    if (width < 1 || height < 1 || width > kLargestPageSide || height > kLargestPageSide ||
        !rgbaPicture(rgba, width, height, &reference) || !prepareFrameBuffers(width, height)) {
        return false;
    }
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, view, width, height);
    renderSoftwareLikeReference(scene, width, height, rules);
    RendererPicture software;
    softwarePicture(colorBuffer, depthBuffer, width, height, &software);
    const ComparisonReport report = compareRenderers(software, reference, kDifferenceTolerance);
    score->differing = report.differing();
    score->steps = report.stepDifferenceSum;
    return true;
}
