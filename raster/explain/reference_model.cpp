#include "raster/explain/reference_model.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/faces_reaching.h"
#include "raster/explain/pixel_history.h"
#include "raster/explain/row_walk.h"
#include "raster/like_reference/reference_lighting.h"
#include "raster/like_reference/reference_sampling.h"
#include "raster/like_reference/smooth_shading.h"
#include "raster/plain/vertex_stage.h"

namespace {

using Point = std::array<double, 2>;

// The face's outline on the screen as the subpixel rule snaps it.
std::vector<Point> snappedOutline(const VertexStage& vertices) {
    std::vector<Point> outline;
    for (const Vertex& v : vertices.screenPolygon()) {
        outline.push_back({snappedToSubpixelGrid(v.position.x, kDefaultSubpixelBits),
                           snappedToSubpixelGrid(v.position.y, kDefaultSubpixelBits)});
    }
    return outline;
}

// The face the model stored at the pixel: the last fragment that passed.
const Fragment* storedFragment(const std::vector<StoryFragment>& fragments) {
    const Fragment* stored = nullptr;
    for (const StoryFragment& f : fragments) {
        if (f.fragment.passed) stored = &f.fragment;
    }
    return stored;
}

}  // namespace

std::optional<ReferenceModel> modelReferencePixel(Scene& scene, const FramePixel& q,
                                                  FrameBuffers& buffers, StoryFrame drawn) {
    if (q.x < 0 || q.x >= q.width || q.y < 0 || q.y >= q.height) return std::nullopt;
    ReferenceRules rules;
    parseReferenceRules("all", &rules, nullptr);
    PixelHistory history(q.x, q.y, false);
    if (!drawWatchingPixel(scene, q, rules, drawn, history, buffers)) return std::nullopt;

    ReferenceModel model;
    const Point centre{q.x + 0.5, q.y + 0.5};
    const Fragment* stored = storedFragment(history.fragments());
    model.covered = stored != nullptr;
    VertexStage vertices;
    std::vector<ScanEdge> edges;
    if (stored) {
        model.object = stored->object;
        model.face = stored->face;
    } else {
        // No face holds the centre: the one whose outline comes nearest.
        double nearest = -std::numeric_limits<double>::infinity();
        CornerScreen& corners = cornerScreenOf(scene, q.width, q.height);
        for (std::size_t o = 0; o < scene.objects.size(); ++o) {
            for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
                const Face& face = scene.objects[o].faces[f];
                // A face that cannot come nearer than the nearest so far is
                // passed over.
                if (outlineDistanceBound(corners, face, centre[0], centre[1]) <= nearest) continue;
                vertices.faceEdges(scene, face, q.width, q.height, edges);
                const double d =
                    signedDistanceFromOutline(centre[0], centre[1], snappedOutline(vertices));
                if (d > nearest) {
                    nearest = d;
                    model.object = static_cast<int>(o);
                    model.face = static_cast<int>(f);
                }
            }
        }
        if (model.object < 0) return model;
    }

    const SceneObject& object = scene.objects[static_cast<std::size_t>(model.object)];
    vertices.faceEdges(scene, object.faces[static_cast<std::size_t>(model.face)], q.width, q.height,
                       edges);
    const std::vector<Point> outline = snappedOutline(vertices);
    model.snappedCorners = outline;
    model.centreDistance = signedDistanceFromOutline(centre[0], centre[1], outline);

    // The face lit and sampled as ReferenceStages does it.
    SmoothFace smooth;
    smooth.light(scene, object.material, vertices.polygon(), vertices.screenPolygon(), rules);
    const SmoothFace::Sample sample =
        smooth.sampleAt(static_cast<float>(q.x) + 0.5, static_cast<float>(q.y) + 0.5);
    for (int i = 0; i < 3; ++i) {
        model.triangle[i] = sample.triangle[i];
        model.screenWeights[i] = sample.screenWeights[i];
        model.weights[i] = sample.weights[i];
        const std::size_t c = static_cast<std::size_t>(sample.triangle[i]);
        if (c >= smooth.corners().size()) continue;
        const SmoothFace::Corner& corner = smooth.corners()[c];
        ModelCorner& told = model.corners[i];
        told.index = sample.triangle[i];
        told.eyePosition = corner.eyePosition;
        told.eyeNormal = eyeNormalLikeReference(scene, corner.sceneNormal);
        told.color = corner.colour;
        told.screenX = corner.x;
        told.screenY = corner.y;
    }
    // Where no face holds the centre the weights lie outside the triangle:
    // the pixel shows the background the frame was cleared to, not the
    // colour they would extrapolate.
    model.color =
        model.covered
            ? sample.colour
            : buffers.color[static_cast<std::size_t>(q.y) * static_cast<std::size_t>(q.width) +
                            static_cast<std::size_t>(q.x)];
    model.windowBytes = windowBytesOf(model.color);
    return model;
}
