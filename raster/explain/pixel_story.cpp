#include "raster/explain/pixel_story.h"

#include <cstddef>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/faces_reaching.h"
#include "raster/explain/pixel_history.h"
#include "raster/like_reference/reference_sampling.h"
#include "raster/plain/vertex_stage.h"
#include "scene/scene.h"

std::string objectColourName(const SceneObject& object) {
    const Color& c = object.material.diffuse;
    if (c.r >= c.g && c.r >= c.b) return "red";
    return c.g >= c.b ? "green" : "blue";
}

namespace {

// The signed distance of the pixel centre from the outline of the face that
// comes nearest to it (or holds it furthest inside), on the screen as the
// frame's rules place the corners (the vertex stage's screen corners, which
// no rule's edge set-up changes).
std::optional<double> nearestOutlineDistance(const Scene& scene, const FramePixel& q) {
    std::optional<double> best;
    VertexStage vertices;
    std::vector<ScanEdge> edges;
    CornerScreen& corners = cornerScreenOf(scene, q.width, q.height);
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            // A face that cannot come nearer than the best so far is passed over.
            if (best && outlineDistanceBound(corners, face, q.x + 0.5, q.y + 0.5) <= *best)
                continue;
            vertices.faceEdges(scene, face, q.width, q.height, edges);
            if (vertices.screenPolygon().empty()) continue;
            std::vector<std::array<double, 2>> outline;
            for (const Vertex& v : vertices.screenPolygon()) {
                const Vec4& c = v.position;
                outline.push_back(
                    q.rules.subpixel != 0
                        ? std::array<double, 2>{snappedToSubpixelGrid(c.x, q.rules.subpixel),
                                                snappedToSubpixelGrid(c.y, q.rules.subpixel)}
                        : std::array<double, 2>{c.x, c.y});
            }
            const double d = signedDistanceFromOutline(q.x + 0.5, q.y + 0.5, outline);
            if (!best || d > *best) best = d;
        }
    }
    return best;
}

}  // namespace

std::optional<PixelStory> tellPixelStory(Scene& scene, const FramePixel& q, FrameBuffers& buffers,
                                         StoryFrame drawn) {
    if (q.x < 0 || q.x >= q.width || q.y < 0 || q.y >= q.height) return std::nullopt;
    // Under the vertex rule the pixels are not lit: their colours come from
    // the face's corners, so there are no terms to record.
    PixelHistory history(q.x, q.y, !q.rules.vertex);
    if (!drawWatchingPixel(scene, q, q.rules, drawn, history, buffers)) return std::nullopt;

    PixelStory story;
    story.x = q.x;
    story.y = q.y;
    story.width = q.width;
    story.height = q.height;
    for (const SceneObject& object : scene.objects) {
        story.objectNames.push_back(objectColourName(object));
    }
    story.fragments = history.fragments();
    const std::size_t i = static_cast<std::size_t>(q.y) * static_cast<std::size_t>(q.width) +
                          static_cast<std::size_t>(q.x);
    story.color = buffers.color[i];
    story.depth = buffers.depth[i];
    story.windowBytes = windowBytesOf(story.color);

    const Fragment* stored = nullptr;
    for (const StoryFragment& f : story.fragments) {
        if (f.fragment.passed) stored = &f.fragment;
    }
    if (story.fragments.empty()) {
        story.nearestSpans = nearestSpans(spansOnRow(scene, q.width, q.height, q.rules, q.y), q.x);
        story.centreDistance = nearestOutlineDistance(scene, q);
    }
    if (stored) {
        story.vertexStage =
            faceVertexStage(scene, q.width, q.height, q.rules, stored->object, stored->face, q.y);
    } else if (!story.nearestSpans.empty()) {
        const RowSpan& nearest = story.nearestSpans.front();
        story.vertexStage =
            faceVertexStage(scene, q.width, q.height, q.rules, nearest.object, nearest.face, q.y);
    }
    return story;
}
