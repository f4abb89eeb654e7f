#include "web/page_magnifier.h"

#include <cstddef>
#include <new>
#include <optional>

#include "examine/magnifier_geometry.h"
#include "examine/magnifier_json.h"
#include "raster/explain/faces_reaching.h"
#include "scene/scene.h"
#include "view/camera.h"

namespace {

Scene sceneSeenFrom(const PageView& view) {
    return defaultSceneSeenFrom(view.view, view.width, view.height);
}

// Whether the pictures hold the view's frame (an earlier one's, or none,
// would be read out of bounds).
bool holdFrame(const PageView& view, const std::vector<float>& rgb,
               const std::vector<float>& depth) {
    const std::size_t pixels =
        static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
    return view.width > 0 && view.height > 0 && rgb.size() == 3 * pixels && depth.size() == pixels;
}

}  // namespace

std::string pageMagnifierJson(const PageView& view, PixelBuffers software, const float* modelDepth,
                              int gridBits, int x, int y) {
    if (view.width <= 0 || view.height <= 0 || !software.color || !software.depth) return "";
    const Scene scene = sceneSeenFrom(view);
    MagnifierGeometry g = gatherMagnifierGeometry(scene, view.width, view.height, view.rules,
                                                  gridBits, x, y, std::nullopt);
    takeSoftwarePixels(g, software);
    if (modelDepth) takeReferenceCoverage(g, modelDepth, 0, 0, view.width, view.height);
    return magnifierJson(g);
}

std::string pageStepMagnifierJson(const PageView& view, const StopPoint& stop,
                                  const std::vector<float>& rgb, const std::vector<float>& depth,
                                  int gridBits, int x, int y, FrameBuffers& buffers) {
    if (!holdFrame(view, rgb, depth)) return "";
    try {
        Scene scene = sceneSeenFrom(view);
        MagnifierGeometry g = gatherMagnifierGeometry(scene, view.width, view.height, view.rules,
                                                      gridBits, x, y, stop);
        takeSoftwarePixels(g, rgb, depth);
        // The model drawn up to the stop point with the faces that can reach
        // the crop alone: what it covers there, in far less time.
        const ReferenceRules model = firstReferenceRules(kReferenceRuleCount);
        const PixelBounds crop{g.left(), g.bottom(), g.left() + kMagnifierSide - 1,
                               g.bottom() + kMagnifierSide - 1};
        Scene reaching = facesReaching(scene, view.width, view.height, model, crop);
        takeModelCoverage(g, reaching, &stop, buffers);
        return magnifierJson(g);
    } catch (const std::bad_alloc&) {
        return "";
    }
}
