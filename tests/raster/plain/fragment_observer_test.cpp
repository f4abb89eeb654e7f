// The plain path's fragment observer against the buffers it watches being
// drawn, on views that overlap patches, fold them and cut them at the borders.
#include <gtest/gtest.h>

#include <vector>

#include "raster/plain/active_edges.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/span.h"
#include "raster/plain/vertex_stage.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

class EveryFragment : public FragmentObserver {
  public:
    std::vector<Fragment> fragments;
    ShadingTerms* fragment(const Fragment& fragment) override {
        fragments.push_back(fragment);
        return nullptr;
    }
};

// The columns of every span of every face: one depth test each.
std::size_t spanColumns(const Scene& scene, int width, int height) {
    VertexStage vertexStage;
    std::vector<ScanEdge> edges, active;
    std::size_t columns = 0;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            vertexStage.faceEdges(scene, face, width, height, edges);
            forEachSpanPair(
                edges, height, active, [&](const ScanEdge& left, const ScanEdge& right, int) {
                    Span span;
                    if (setupSpan(left, right, width, span)) {
                        columns += static_cast<std::size_t>(span.endColumn - span.startColumn);
                    }
                });
        }
    }
    return columns;
}

TEST(FragmentObserver, SeesEveryDepthTestInDrawOrderAndChangesNoBit) {
    const struct {
        View view;
        int width, height;
    } frames[] = {
        {View{}, 160, 120},                                     // the start-up view
        {View{90.0f, -30.0f, 0.25f, 0.0f, 0.0f}, 160, 120},     // patches folded over
        {View{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f}, 160, 120},    // two patches overlap
        {View{-135.0f, -60.0f, 11.0f, 0.0f, 0.0f}, 200, 150},   // cut by every border
        {View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f}, 64, 48},  // panned, small
    };
    Scene scene;
    for (const auto& f : frames) {
        SCOPED_TRACE(describe(f.view));
        prepareDefaultFrame(scene, f.view, f.width, f.height);
        renderSoftwarePlain(scene, viewerBuffers.pixels(), f.width, f.height);
        const std::uint64_t colors = colorDigest(f.width, f.height);
        const std::uint64_t depths = depthDigest(f.width, f.height);

        prepareDefaultFrame(scene, f.view, f.width, f.height);
        EveryFragment observer;
        renderSoftwarePlain(scene, viewerBuffers.pixels(), f.width, f.height, &observer);
        EXPECT_EQ(colorDigest(f.width, f.height), colors);
        EXPECT_EQ(depthDigest(f.width, f.height), depths);
        EXPECT_EQ(observer.fragments.size(), spanColumns(scene, f.width, f.height));

        // Replaying the reports through a depth test of our own ends in the
        // depth buffer the renderer left.
        std::vector<float> replayed(pixelIndex(0, f.height, f.width), 1.0f);
        std::size_t wrong = 0, passed = 0;
        for (const Fragment& fragment : observer.fragments) {
            ASSERT_TRUE(fragment.column >= fragment.firstColumn &&
                        fragment.column < fragment.endColumn && fragment.endColumn <= f.width &&
                        fragment.row >= 0 && fragment.row < f.height);
            float& stored = replayed[pixelIndex(fragment.column, fragment.row, f.width)];
            wrong += floatBits(fragment.depthBefore) != floatBits(stored);
            wrong += fragment.passed != (fragment.depth < stored);
            if (fragment.passed) {
                stored = fragment.depth;
                ++passed;
            }
        }
        for (std::size_t i = 0; i < replayed.size(); ++i) {
            wrong += floatBits(replayed[i]) != floatBits(depthBuffer[i]);
        }
        EXPECT_EQ(wrong, 0u);
        EXPECT_GT(passed, replayed.size() / 20);  // the frame shows the scene
    }
}

}  // namespace
