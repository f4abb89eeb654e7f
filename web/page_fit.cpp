#include "web/page_fit.h"

#include <algorithm>
#include <cstdlib>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/like_reference/render_like_reference.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/page_frame.h"

bool scoreRulesAgainst(const View& view, int width, int height, const ReferenceRules& rules,
                       const std::vector<std::uint8_t>& rgba, PageFitScore* score) {
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    if (width < 1 || height < 1 || width > kLargestPageSide || height > kLargestPageSide ||
        rgba.size() != pixels * 4 || !prepareFrameBuffers(width, height)) {
        return false;
    }
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, view, width, height);
    renderSoftwareLikeReference(scene, width, height, rules);
    *score = PageFitScore();
    for (std::size_t i = 0; i < pixels; ++i) {
        const bool inSoftware = depthBuffer[i] < 1.0f;
        const bool inReference = rgba[4 * i + 3] != 0;
        if (inSoftware != inReference) {
            ++score->differing;
            continue;
        }
        if (!inSoftware) continue;
        const Color& c = colorBuffer[i];
        const int software[3] = {windowByte(c.r), windowByte(c.g), windowByte(c.b)};
        int largest = 0;
        for (int channel = 0; channel < 3; ++channel) {
            const int step = std::abs(software[channel] - rgba[4 * i + channel]);
            score->steps += step;
            largest = std::max(largest, step);
        }
        if (largest > kDifferenceTolerance) ++score->differing;
    }
    return true;
}
