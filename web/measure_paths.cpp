// rasterwork-measure-paths: figures for docs/web.md, not a test. Draws a few
// views with the fast and the plain software path in WebAssembly, says
// whether both left the same colour and depth buffers, and times fifteen
// frames of each, alternating (tests/web/measure_paths.js runs it in
// headless Chromium).
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"

namespace {
struct Case {
    float angleZ, angleX, zoom;
    int width, height;
};
}  // namespace

int main() {
    const Case cases[] = {{-135, -60, 0.25f, 480, 480},
                          {-75, -30, 2.25f, 480, 480},
                          {10, -80, 11, 333, 97},
                          {-135, -60, 0.25f, 1920, 1080}};
    for (const Case& c : cases) {
        Scene scene;
        buildDefaultScene(scene);
        View view;
        view.angleZ = c.angleZ;
        view.angleX = c.angleX;
        view.zoom = c.zoom;
        setupCamera(scene, view, c.width, c.height);
        const std::size_t n = static_cast<std::size_t>(c.width) * c.height;
        FrameBuffers buffers;
        prepareFrameBuffers(buffers, c.width, c.height);
        renderSoftwarePlain(scene, buffers.pixels(), c.width, c.height);
        std::vector<float> plainColor(reinterpret_cast<float*>(buffers.color),
                                      reinterpret_cast<float*>(buffers.color) + 4 * n);
        std::vector<float> plainDepth(buffers.depth, buffers.depth + n);
        prepareFrameBuffers(buffers, c.width, c.height);
        renderSoftware(scene, buffers.pixels(), c.width, c.height);
        const bool same =
            std::memcmp(plainColor.data(), buffers.color, 4 * n * sizeof(float)) == 0 &&
            std::memcmp(plainDepth.data(), buffers.depth, n * sizeof(float)) == 0;
        double best[2] = {1e9, 1e9};
        std::vector<double> times[2];
        for (int rep = 0; rep < 15; ++rep) {
            for (int path = 0; path < 2; ++path) {
                prepareFrameBuffers(buffers, c.width, c.height);
                const double start = emscripten_get_now();
                if (path == 0)
                    renderSoftware(scene, buffers.pixels(), c.width, c.height);
                else
                    renderSoftwarePlain(scene, buffers.pixels(), c.width, c.height);
                const double t = emscripten_get_now() - start;
                times[path].push_back(t);
                if (t < best[path]) best[path] = t;
            }
        }
        for (auto& v : times) std::sort(v.begin(), v.end());
        std::printf(
            "%d x %d view %g %g %g: buffers %s; fast median %.2f ms best %.2f; plain median %.2f "
            "ms best %.2f\n",
            c.width, c.height, c.angleZ, c.angleX, c.zoom, same ? "identical" : "DIFFER",
            times[0][7], best[0], times[1][7], best[1]);
    }
    return 0;
}
