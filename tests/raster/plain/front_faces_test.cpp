#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "mismatch_pictures.h"
#include "picture_files.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/plain/clip_w.h"
#include "raster/plain/project_vertex.h"
#include "raster/plain/scan_convert.h"
#include "raster/plain/truncate_to_int.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene_rendering.h"
#include "view/camera.h"
#include "view/view_state.h"

namespace {

// The oracle for faces wholly in front of the eye: every side projects both
// of its ends afresh, nothing is clipped, and the edge is kept unless its
// ends share a row or it ends at or below y = 0.
void unclippedVertexStage(Scene& scene, int width, int height) {
    auto screenVertex = [&](const Vertex& v) {
        Vertex s;
        s.position = projectToScreen(toClipSpace(scene, v.position), width, height);
        s.normal = v.normal;
        return s;
    };
    const DrawContext draw(scene, viewerBuffers.pixels(), width, height);
    for (std::size_t o = 0; o < scene.objects.size(); ++o) {
        for (std::size_t f = 0; f < scene.objects[o].faces.size(); ++f) {
            const Face& face = scene.objects[o].faces[f];
            std::vector<ScanEdge> edges;
            for (const Vertex& v : face.vertices) {
                const Vertex& u = face.vertices[static_cast<std::size_t>(v.prev)];
                const Vertex su = screenVertex(u);
                const Vertex sv = screenVertex(v);
                edges.push_back(setupEdge(su, sv));
                const ScanEdge& e = edges.back();
                if (truncateToInt(e.yStart) == truncateToInt(e.yEnd) || e.yEnd <= 0.0f) {
                    edges.pop_back();
                }
            }
            scanConvertPolygon(edges, FaceContext{draw, o, f});
        }
    }
}

float smallestClipW(const Scene& scene) {
    float smallest = 1.0e30f;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            for (const Vertex& v : face.vertices) {
                smallest = std::min(smallest, toClipSpace(scene, v.position).w);
            }
        }
    }
    return smallest;
}

class FrontFaces : public ::testing::TestWithParam<View> {};

}  // namespace

// Faces wholly in front of the eye must come out exactly as the unclipped,
// project-every-side oracle above draws them.
TEST_P(FrontFaces, AreDrawnBitForBitAsWithoutClipping) {
    const View view = GetParam();
    const int width = 160, height = 120;
    Scene scene;
    renderDefaultScene(scene, view, width, height);
    ASSERT_GT(smallestClipW(scene), kMinClipW) << describe(view);
    const BufferCopy viaRenderer = copyBuffers(width, height);

    prepareFrameBuffers(viewerBuffers, width, height);
    unclippedVertexStage(scene, width, height);
    const BufferCopy unclipped = copyBuffers(width, height);

    const bool same = std::memcmp(viaRenderer.colors.data(), unclipped.colors.data(),
                                  viaRenderer.colors.size() * sizeof(Color)) == 0 &&
                      std::memcmp(viaRenderer.depths.data(), unclipped.depths.data(),
                                  viaRenderer.depths.size() * sizeof(float)) == 0;
    if (!same) {
        const std::vector<bool> differs =
            differingColors(unclipped.colors.data(), viaRenderer.colors.data(), width, height);
        ADD_FAILURE() << describe(view) << ": renderer and unclipped stage differ; "
                      << saveMismatchPictures(
                             "front-faces",
                             pictureOfColors(viaRenderer.colors.data(), width, height),
                             pictureOfColors(unclipped.colors.data(), width, height), &differs);
    }
}

INSTANTIATE_TEST_SUITE_P(Views, FrontFaces,
                         ::testing::Values(View{}, View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f},
                                           View{30.0f, 50.0f, -2.0f, 0.0f, 0.0f},
                                           View{0.0f, 0.0f, 0.0f, 0.0f, 0.0f},
                                           View{-135.0f, -60.0f, 8.0f, 0.0f, 0.0f},
                                           View{45.0f, -120.0f, -6.0f, -300.0f, 200.0f}),
                         [](const ::testing::TestParamInfo<View>& info) {
                             return "view" + std::to_string(info.index);
                         });
