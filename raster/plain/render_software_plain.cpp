#include "raster/render_software.h"

#include <cstddef>
#include <vector>

#include "raster/like_reference/smooth_shading.h"
#include "raster/plain/draw_context.h"
#include "raster/plain/scan_convert.h"
#include "raster/plain/vertex_stage.h"

// The whole plain path, one face at a time:
//   1. vertex stage (vertex_stage.cpp): corners to clip space, cut at the
//      eye, divided by w and mapped to the window;
//   2. edge set-up (scan_edge.cpp): each outline side becomes a ScanEdge
//      with its changes of x, depth and normal per row;
//   3. scan conversion (scan_convert.cpp, active_edges.h): rows from bottom
//      to top with an active edge list, a span between each pair of edges;
//   4. span fill (fill_span.cpp, span.h): column by column, depth test;
//   5. lighting (shade_pixel.cpp): shadePixel for each pixel that passes.
//
// How exact it is, everywhere on this path: every stored value is a 32-bit
// float; a matrix-vector product is summed in double and rounded once per
// component, a dot product sums float products in double and rounds once;
// no fused multiply-add; rows and columns come from screen coordinates by
// truncation toward zero (no pixel centres); depth and normal step by one
// float addition per row and per column, linear in screen space (not
// perspective-correct).
//
// With reference rules (--like-reference) the marked alternatives in the
// vertex stage, the span fill and the lighting follow the reference instead.
void renderSoftwarePlain(Scene& scene, int width, int height, FragmentObserver* observer,
                         const ReferenceRules& rules) {
    const DrawContext draw(scene, width, height, observer, rules);
    VertexStage vertexStage;
    SmoothFace smooth;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        const SceneObject& object = scene.objects[o];
        for (std::size_t f = 0; f < object.faces.size(); ++f) {
            std::vector<ScanEdge> edges;
            vertexStage.faceEdges(scene, object.faces[f], width, height, edges, rules);
            // Alternative, --like-reference vertex only: lit at the corners.
            if (rules.vertex) {
                smooth.light(scene, object.material, vertexStage.polygon(),
                             vertexStage.screenPolygon(), rules);
            }
            scanConvertPolygon(edges, FaceContext{draw, o, f, &smooth});
        }
    }
}

void renderSoftwarePlain(Scene& scene, int width, int height) {
    renderSoftwarePlain(scene, width, height, nullptr);
}
