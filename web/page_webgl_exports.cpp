// The scene for the page's WebGL picture, handed to its JavaScript, and
// the scores its fit of the rules to that picture is made of.
#include "web/page_fit.h"
#include "web/page_rules.h"
#include "web/page_webgl_scene.h"

#include <cstdint>
#include <vector>

namespace {
WebglScene scene;
std::vector<std::uint8_t> fitBytes;  // the reference picture a score is made against

View viewOf(double angleZ, double angleX, double zoom, double panX, double panY) {
    View view;
    view.angleZ = static_cast<float>(angleZ);
    view.angleX = static_cast<float>(angleX);
    view.zoom = static_cast<float>(zoom);
    view.panX = static_cast<float>(panX);
    view.panY = static_cast<float>(panY);
    return view;
}
}  // namespace

extern "C" {

// Builds the scene of a view at a frame size (numbers taken as floats, as
// the tools take them); returns the number of triangle corners.
int rw_webgl_scene(double angleZ, double angleX, double zoom, double panX, double panY, int width,
                   int height) {
    scene = buildWebglScene(viewOf(angleZ, angleX, zoom, panX, panY), width, height);
    return static_cast<int>(scene.vertices.size() / kWebglVertexFloats);
}

float* rw_webgl_vertices() {
    return scene.vertices.data();
}

float* rw_webgl_uniforms() {
    return scene.uniforms.data();
}

int rw_webgl_light_count() {
    return scene.lightCount;
}

// Room for a reference picture of `pixels` pixels (r, g, b, a each, rows
// from the bottom, a = 0 where nothing was drawn) to score against.
std::uint8_t* rw_fit_bytes(int pixels) {
    fitBytes.assign(pixels > 0 ? static_cast<std::size_t>(pixels) * 4 : 0, 0);
    return fitBytes.data();
}

// Draws the software picture of a view under `rules` (as rw_draw takes
// them, with the grid in bits 8 to 11) and scores it against the bytes in
// rw_fit_bytes' room: the differing pixels and the steps where both cover;
// null when it cannot be drawn. Leaves the page's frame as it was.
const double* rw_fit_score(double angleZ, double angleX, double zoom, double panX, double panY,
                           int width, int height, int rules) {
    static double figures[2];
    PageFitScore score;
    if (!scoreRulesAgainst(viewOf(angleZ, angleX, zoom, panX, panY), width, height,
                           pageRules(rules), fitBytes, &score)) {
        return nullptr;
    }
    figures[0] = static_cast<double>(score.differing);
    figures[1] = static_cast<double>(score.steps);
    return figures;
}

}  // extern "C"
