#include "raster/plain/vertex_stage.h"

#include <gtest/gtest.h>

#include <vector>

#include "raster/render_software.h"
#include "raster_testing.h"

namespace {

// With identity view and projection matrices the clip position is the world
// position, so on an 8 x 8 window world (x, y) lands on screen at
// ((x + 1) * 4, (y + 1) * 4).
float worldFromScreen(float s) {
    return s / 4.0f - 1.0f;
}

void addScreenFace(Scene& scene, std::initializer_list<std::pair<float, float>> corners) {
    scene.beginFace();
    for (const auto& c : corners) {
        scene.addVertex(Vec4{worldFromScreen(c.first), worldFromScreen(c.second), 0.5f, 1.0f});
    }
}

// Columns and rows 2 to 5 lit pure green at depth 0.5, all else untouched.
void expectGreenSquare() {
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 8; ++x) {
            const bool inside = x >= 2 && x < 6 && y >= 2 && y < 6;
            const Color& c = colorBuffer[pixelIndex(x, y, 8)];
            if (inside) {
                EXPECT_EQ(c.g, 1.0f);
                EXPECT_EQ(c.r, 0.0f);
                EXPECT_EQ(depthBuffer[pixelIndex(x, y, 8)], 0.5f);
            } else {
                EXPECT_TRUE(untouched(x, y, 8)) << x << "," << y;
            }
        }
    }
    EXPECT_TRUE(slackIntact(8, 8));
}

// The edge list the vertex stage gives each face, in drawing order.
std::vector<std::vector<ScanEdge>> record(const Scene& scene, int width = 8, int height = 8) {
    std::vector<std::vector<ScanEdge>> lists;
    VertexStage stage;
    for (const SceneObject& object : scene.objects) {
        for (const Face& face : object.faces) {
            lists.emplace_back();
            stage.faceEdges(scene, face, width, height, lists.back());
        }
    }
    return lists;
}

}  // namespace

TEST(VertexStage, TriangleOnThreeRowsKeepsThreeEdgesInVertexOrder) {
    Scene scene;
    scene.beginObject();
    addScreenFace(scene, {{1.0f, 1.0f}, {6.0f, 3.0f}, {5.0f, 7.5f}});
    const auto lists = record(scene);
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].size(), 3u);
    // Edge i runs from vertex i's predecessor to vertex i, ordered by y.
    EXPECT_EQ(lists[0][0].yStart, 1.0f);  // from (5, 7.5) to (1, 1)
    EXPECT_EQ(lists[0][0].yEnd, 7.5f);
    EXPECT_EQ(lists[0][0].x, 1.0f);
    EXPECT_EQ(lists[0][1].yStart, 1.0f);  // from (1, 1) to (6, 3)
    EXPECT_EQ(lists[0][1].yEnd, 3.0f);
    EXPECT_EQ(lists[0][1].xEnd, 6.0f);
    EXPECT_EQ(lists[0][2].yStart, 3.0f);  // from (6, 3) to (5, 7.5)
    EXPECT_EQ(lists[0][2].x, 6.0f);
    EXPECT_EQ(lists[0][2].z, 0.5f);
}

TEST(VertexStage, SideWithinOneRowIsRemoved) {
    Scene scene;
    scene.beginObject();
    addScreenFace(scene, {{1.0f, 1.25f}, {6.0f, 1.75f}, {5.0f, 7.5f}});
    const auto lists = record(scene);
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].size(), 2u);
    EXPECT_EQ(lists[0][0].yEnd, 7.5f);
    EXPECT_EQ(lists[0][1].yEnd, 7.5f);
}

TEST(VertexStage, DegenerateFacesGiveNoEdges) {
    Scene scene;
    scene.beginObject();
    addScreenFace(scene, {{3.0f, 3.0f}});  // a single vertex linked to itself
    scene.beginFace();                     // no vertices at all
    addScreenFace(scene, {{1.0f, 1.0f}, {6.0f, 3.0f}, {5.0f, 7.5f}});
    // The list is replaced, not appended to.
    std::vector<ScanEdge> edges(5);
    VertexStage stage;
    for (const Face& face : scene.objects[0].faces) {
        stage.faceEdges(scene, face, 8, 8, edges);
        EXPECT_EQ(edges.size(), face.vertices.size() == 3 ? 3u : 0u);
    }
}

TEST(VertexStage, TwoVertexFaceGivesTheSegmentTwice) {
    Scene scene;
    scene.beginObject();
    addScreenFace(scene, {{2.0f, 6.0f}, {4.0f, 2.0f}});
    const auto lists = record(scene);
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].size(), 2u);
    for (const ScanEdge& e : lists[0]) {
        EXPECT_EQ(e.x, 4.0f);
        EXPECT_EQ(e.yStart, 2.0f);
        EXPECT_EQ(e.xEnd, 2.0f);
        EXPECT_EQ(e.yEnd, 6.0f);
    }
}

TEST(VertexStage, RemovalOfEdgesThatCoverNoRow) {
    struct Case {
        float yLow, yHigh;
        bool kept;
    };
    const Case cases[] = {
        {-5.0f, 0.0f, false},   // ends exactly at y = 0
        {-5.0f, -2.0f, false},  // wholly below the window
        {-0.5f, 0.5f, false},   // raised to 0, both ends in row 0
        {0.25f, 0.875f, false}, {5.0f, 5.5f, false}, {-10.0f, 10.0f, true},  // raised to 0, kept
        {6.0f, 20.0f, true},  // above the top: scan conversion limits it
    };
    for (const Case& c : cases) {
        Scene scene;
        scene.beginObject();
        addScreenFace(scene, {{3.0f, c.yLow}, {3.0f, c.yHigh}});
        const auto lists = record(scene);
        ASSERT_EQ(lists.size(), 1u);
        EXPECT_EQ(lists[0].size(), c.kept ? 2u : 0u) << c.yLow << " to " << c.yHigh;
        if (c.kept) {
            EXPECT_EQ(lists[0][0].yStart, c.yLow < 0.0f ? 0.0f : c.yLow);
        }
    }
}

TEST(VertexStage, NormalisedOriginMapsToTheMiddleOfAnyWindow) {
    Scene scene;
    scene.beginObject();
    scene.beginFace();
    scene.addVertex(Vec4{0.0f, 0.0f, 0.25f, 1.0f});
    scene.addVertex(Vec4{0.0f, 0.5f, 0.25f, 1.0f});
    const auto lists = record(scene, 640, 360);
    ASSERT_EQ(lists.size(), 1u);
    ASSERT_EQ(lists[0].size(), 2u);
    EXPECT_EQ(lists[0][0].x, 320.0f);
    EXPECT_EQ(lists[0][0].yStart, 180.0f);
    EXPECT_EQ(lists[0][0].yEnd, 270.0f);
    EXPECT_EQ(lists[0][0].z, 0.25f);
}

TEST(VertexStage, NormalsAreCarriedUntransformed) {
    Scene scene;
    scene.viewTransform.matrix.rotateZ(90.0f);
    scene.beginObject();
    scene.beginFace();
    scene.setNormal(Vec3{0.0f, 0.0f, 1.0f});
    scene.addVertex(Vec4{0.0f, 0.0f, 0.0f, 1.0f});
    scene.setNormal(Vec3{1.0f, 0.0f, 0.0f});
    // Turned by the view to (0, 0.5): one row above the first vertex.
    scene.addVertex(Vec4{0.5f, 0.0f, 0.0f, 1.0f});
    const auto lists = record(scene);
    ASSERT_EQ(lists[0].size(), 2u);
    const ScanEdge& e = lists[0][0];
    EXPECT_EQ(e.normalEnd.x, 1.0f);
    EXPECT_EQ(e.normal.z, 1.0f);
}

TEST(VertexStage, BrokenPreviousLinkDropsOnlyThatSide) {
    Scene scene;
    scene.beginObject();
    addScreenFace(scene, {{1.0f, 1.0f}, {6.0f, 3.0f}, {5.0f, 7.5f}});
    scene.objects[0].faces[0].vertices[1].prev = 99;
    const auto lists = record(scene);
    ASSERT_EQ(lists.size(), 1u);
    EXPECT_EQ(lists[0].size(), 2u);
    scene.objects[0].faces[0].vertices[1].prev = -1;
    EXPECT_EQ(record(scene)[0].size(), 2u);
}

TEST(VertexStage, BothPathsFillTheFaceThroughScanConversion) {
    Scene scene;
    scene.ambient = Color(1.0f, 1.0f, 1.0f, 1.0f);
    scene.currentMaterial.diffuse = Color(0.0f, 1.0f, 0.0f, 1.0f);
    scene.beginObject();
    addScreenFace(scene, {{2.0f, 2.0f}, {6.0f, 2.0f}, {6.0f, 6.0f}, {2.0f, 6.0f}});
    scene.beginObject();  // an object without faces draws nothing
    using Render = void (*)(Scene&, PixelBuffers, int, int);
    const Render paths[] = {renderSoftwarePlain, renderSoftware};
    for (Render render : paths) {
        prepareFrameBuffers(viewerBuffers, 8, 8);
        markSlack(8, 8);
        render(scene, viewerBuffers.pixels(), 8, 8);
        expectGreenSquare();
    }
}
