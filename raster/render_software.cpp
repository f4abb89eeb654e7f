#include "raster/render_software.h"

#include "raster/face_edges.h"
#include "raster/scan_convert.h"

void renderSoftwareThrough(Scene& scene, int width, int height, FaceFiller fill) {
    FaceEdgeBuilder builder;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            std::vector<ScanEdge> edges;
            builder.build(scene, face, width, height, edges);
            fill(edges, width, height, scene, object);
            std::vector<ScanEdge>().swap(edges);
        }
    }
}

void renderSoftwarePlain(Scene& scene, int width, int height) {
    renderSoftwareThrough(scene, width, height, scanConvertPolygon);
}
