#include "raster/plain/near_plane.h"

#include "raster/plain/project_vertex.h"

bool crossesNearPlane(const Scene& scene) {
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            for (const Vertex& vertex : face.vertices) {
                const Vec4 clip = toClipSpace(scene, vertex.position);
                if (!(clip.z >= -clip.w)) return true;
            }
        }
    }
    return false;
}
