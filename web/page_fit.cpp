#include "web/page_fit.h"

#include "examine/buffer_pictures.h"
#include "examine/renderer_comparison.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/render_like_reference.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/page_frame.h"

bool scoreRulesAgainst(const View& view, int width, int height, const ReferenceRules& rules,
                       const std::vector<std::uint8_t>& rgba, PageFitScore* score) {
    RendererPicture reference;
    FrameBuffers buffers;
    if (width < 1 || height < 1 || width > kLargestPageSide || height > kLargestPageSide ||
        !rgbaPicture(rgba, width, height, &reference) ||
        !prepareFrameBuffers(buffers, width, height)) {
        return false;
    }
    Scene scene = defaultSceneSeenFrom(view, width, height);
    renderSoftwareLikeReference(scene, buffers.pixels(), width, height, rules);
    RendererPicture software;
    softwarePicture(buffers.color, buffers.depth, width, height, &software);
    const ComparisonReport report = compareRenderers(software, reference, kDifferenceTolerance);
    score->differing = report.differing();
    score->steps = report.stepDifferenceSum;
    return true;
}
