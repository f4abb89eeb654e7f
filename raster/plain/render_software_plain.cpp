#include "raster/plain/render_software_plain.h"

#include <algorithm>
#include <cstddef>
#include <vector>

#include "raster/plain/active_edges.h"
#include "raster/plain/draw_context.h"
#include "raster/plain/scan_convert.h"
#include "raster/plain/vertex_stage.h"
#include "raster/render_software.h"

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
// Edge set-up, span set-up and lighting, and a preparation of each face
// between steps 1 and 3, are asked of the frame's DrawStages (draw_stages.h),
// chosen once before the first face: the textbook stages are the steps
// above, and a frame drawn by other rules replaces some of them.
void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height,
                         FragmentObserver* observer, DrawStages& stages, const StopPoint* stop,
                         FilledRows rows) {
    const DrawContext draw(scene, buffers, width, height, stages, observer);
    VertexStage vertexStage;
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        const SceneObject& object = scene.objects[o];
        for (std::size_t f = 0; f < object.faces.size(); ++f) {
            std::vector<ScanEdge> edges;
            vertexStage.faceEdges(scene, object.faces[f], width, height, edges, stages);
            const bool stopsHere = stop && stop->isFace(o, f);
            const FilledRows faceRows =
                stopsHere ? FilledRows{rows.first, std::min(rows.last, stop->row)} : rows;
            // A face whose rows are none of those filled leaves nothing in
            // the buffers: it is neither prepared nor walked.
            const WalkedRows walked = walkedRows(edges, height);
            if (walked.first <= faceRows.last && faceRows.first <= walked.last) {
                const FaceContext face{draw, o, f};
                stages.prepareFace(face, vertexStage);
                scanConvertPolygon(edges, face, faceRows);
            }
            if (stopsHere) return;
        }
    }
}

void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height,
                         FragmentObserver* observer) {
    DrawStages textbook;
    renderSoftwarePlain(scene, buffers, width, height, observer, textbook);
}

void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height) {
    renderSoftwarePlain(scene, buffers, width, height, nullptr);
}
