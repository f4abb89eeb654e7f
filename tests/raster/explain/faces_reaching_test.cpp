// The faces that can change a rectangle of pixels: drawn alone, with the
// rectangle's rows filled, they leave every pixel of it with the bits the
// whole scene leaves there, under the textbook's stages and under rules that
// move the edges (the centres and the coarsest and finest grids), for single
// rows at the frame's borders, crops cut by them, and single pixels and
// short runs inside the patches.
#include "raster/explain/faces_reaching.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/explain/row_walk.h"
#include "raster/like_reference/reference_sampling.h"
#include "raster/like_reference/reference_stages.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/clip_w.h"
#include "raster/plain/project_vertex.h"
#include "raster/plain/vertex_stage.h"
#include "scene_rendering.h"

namespace {

constexpr int kWidth = 97, kHeight = 61;

// Draws `scene` with the rows of `kept` filled into `buffers`, cleared first.
void drawKeptRows(Scene& scene, const ReferenceRules& rules, const PixelBounds& kept,
                  FrameBuffers& buffers) {
    ASSERT_TRUE(prepareFrameBuffers(buffers, kWidth, kHeight));
    renderSoftwareLikeReference(scene, buffers.pixels(), kWidth, kHeight, rules, nullptr, nullptr,
                                FilledRows{kept.firstRow, kept.lastRow});
}

// The views, rule sets and rectangles both tests take.
const View kViews[] = {
    View{}, View{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f}, View{-135.0f, -60.0f, 11.0f, 0.0f, 0.0f},
    View{30.0f, 50.0f, -2.0f, 0.0f, 0.0f}, View{90.0f, -30.0f, 0.25f, 0.0f, 0.0f}};

std::vector<ReferenceRules> ruleSets() {
    ReferenceRules centres, coarse = firstReferenceRules(kReferenceRuleCount), fine = coarse;
    centres.sampling = true;
    coarse.subpixel = 1;
    fine.subpixel = kMaxSubpixelBits;
    return {ReferenceRules(), centres, coarse, fine};
}

// Single pixels and short runs inside the patches too, where faces lie left
// of the spans that cover the kept pixels. In the last view, with the
// centres, pixel 33, 30 takes its colour from a span that a face covering
// none of it hides in part: left out, the normal would step on differently.
const PixelBounds kRectangles[] = {{40, 0, 40, 0},   {0, 30, kWidth - 1, 30}, {96, 60, 96, 60},
                                   {30, 20, 44, 34}, {-7, -7, 7, 7},          {90, 50, 104, 64},
                                   {48, 30, 48, 30}, {40, 36, 52, 36},        {33, 30, 33, 30}};

std::size_t facesWithCorners(const Scene& scene) {
    std::size_t faces = 0;
    for (const SceneObject& object : scene.objects)
        for (const Face& face : object.faces) faces += face.vertices.empty() ? 0 : 1;
    return faces;
}

TEST(FacesReaching, DrawnAloneTheyLeaveTheKeptPixelsAsTheWholeSceneDoes) {
    FrameBuffers whole, alone;
    std::size_t faces = 0, drawn = 0;
    for (const View& view : kViews) {
        Scene scene;
        prepareDefaultFrame(scene, view, kWidth, kHeight);
        for (const ReferenceRules& rules : ruleSets()) {
            for (const PixelBounds& kept : kRectangles) {
                SCOPED_TRACE(describe(view) + ", rules " + referenceRulesText(rules) + ", rows " +
                             std::to_string(kept.firstRow) + " to " + std::to_string(kept.lastRow));
                Scene reaching = facesReaching(scene, kWidth, kHeight, rules, kept);
                faces += facesWithCorners(scene);
                drawn += facesWithCorners(reaching);
                drawKeptRows(scene, rules, kept, whole);
                drawKeptRows(reaching, rules, kept, alone);
                long differing = 0;
                for (int y = std::max(kept.firstRow, 0); y <= std::min(kept.lastRow, kHeight - 1);
                     ++y) {
                    for (int x = std::max(kept.firstColumn, 0);
                         x <= std::min(kept.lastColumn, kWidth - 1); ++x) {
                        const std::size_t i = static_cast<std::size_t>(y) * kWidth + x;
                        differing +=
                            std::memcmp(&whole.color[i], &alone.color[i], sizeof(Color)) != 0 ||
                            std::memcmp(&whole.depth[i], &alone.depth[i], sizeof(float)) != 0;
                    }
                }
                EXPECT_EQ(differing, 0);
            }
        }
    }
    // Most faces reach none of these rectangles, and some reach them.
    EXPECT_LT(drawn * 4, faces);
    EXPECT_GT(drawn, 0u);
}

// A face farFromPixels passes over, rows and columns, has its outline as the
// vertex stage puts it on the screen more than a pixel away from the
// rectangle, under every rule set: the magnifier's crop test then cannot
// take it either.
TEST(FacesReaching, AFaceFarFromPixelsHasItsWholeOutlineOutside) {
    std::size_t passedOver = 0, kept = 0;
    for (const View& view : kViews) {
        Scene scene;
        prepareDefaultFrame(scene, view, kWidth, kHeight);
        CornerScreen corners(scene, kWidth, kHeight);
        for (const ReferenceRules& rules : ruleSets()) {
            const ReferenceStages stages(rules);
            VertexStage vertices;
            std::vector<ScanEdge> edges;
            for (const PixelBounds& crop : kRectangles) {
                for (const SceneObject& object : scene.objects) {
                    for (const Face& face : object.faces) {
                        if (!farFromPixels(corners, face, crop, true)) {
                            ++kept;
                            continue;
                        }
                        ++passedOver;
                        vertices.faceEdges(scene, face, kWidth, kHeight, edges, stages);
                        float x0 = HUGE_VALF, x1 = -HUGE_VALF, y0 = HUGE_VALF, y1 = -HUGE_VALF;
                        for (const Vertex& v : vertices.screenPolygon()) {
                            x0 = std::min(x0, v.position.x);
                            x1 = std::max(x1, v.position.x);
                            y0 = std::min(y0, v.position.y);
                            y1 = std::max(y1, v.position.y);
                        }
                        EXPECT_TRUE(x1 < crop.firstColumn - 1.0f || x0 > crop.lastColumn + 2.0f ||
                                    y1 < crop.firstRow - 1.0f || y0 > crop.lastRow + 2.0f)
                            << describe(view) << ": " << x0 << " to " << x1 << ", " << y0 << " to "
                            << y1;
                    }
                }
            }
        }
    }
    EXPECT_GT(passedOver, kept);
    EXPECT_GT(kept, 0u);
}

// A screen made for a scene of few corners, asked about many more, grows
// and still gives each position the place the vertex stage gives it, the
// first time and again; and the shared screen follows a change of camera.
TEST(FacesReaching, CornerScreenGivesEveryPositionItsPlaceHoweverManyItHolds) {
    for (const View& view : kViews) {
        Scene scene;
        prepareDefaultFrame(scene, view, kWidth, kHeight);
        Scene few = scene;
        few.objects.resize(1);
        few.objects[0].faces.resize(1);
        CornerScreen corners(few, kWidth, kHeight);
        CornerScreen& shared = cornerScreenOf(scene, kWidth, kHeight);
        for (int pass = 0; pass < 2; ++pass) {
            for (const SceneObject& object : scene.objects) {
                for (const Face& face : object.faces) {
                    for (const Vertex& v : face.vertices) {
                        const Vec4 clip = toClipSpace(scene, v.position);
                        const Vec4 screen = projectToScreen(clip, kWidth, kHeight);
                        for (CornerScreen* asked : {&corners, &shared}) {
                            const CornerScreen::Place place = asked->at(v.position);
                            if (clip.w > kMinClipW) {
                                ASSERT_EQ(place.x, static_cast<double>(screen.x));
                                ASSERT_EQ(place.y, static_cast<double>(screen.y));
                            } else {
                                ASSERT_TRUE(std::isnan(place.x) && std::isnan(place.y));
                            }
                        }
                    }
                }
            }
        }
    }
}

// The bound holds for every face's outline, as the vertex stage puts it and
// snapped to the coarsest grid, from pixel centres inside, beside and far
// from the faces: no face is ever passed over that could have come nearer.
TEST(FacesReaching, NoOutlineComesNearerThanItsBound) {
    std::size_t bounded = 0;
    for (const View& view : kViews) {
        Scene scene;
        prepareDefaultFrame(scene, view, kWidth, kHeight);
        CornerScreen& corners = cornerScreenOf(scene, kWidth, kHeight);
        VertexStage vertices;
        std::vector<ScanEdge> edges;
        for (const SceneObject& object : scene.objects) {
            for (const Face& face : object.faces) {
                vertices.faceEdges(scene, face, kWidth, kHeight, edges);
                for (const int bits : {0, 1}) {
                    std::vector<std::array<double, 2>> outline;
                    for (const Vertex& v : vertices.screenPolygon()) {
                        const Vec4& c = v.position;
                        outline.push_back(
                            bits == 0 ? std::array<double, 2>{c.x, c.y}
                                      : std::array<double, 2>{snappedToSubpixelGrid(c.x, bits),
                                                              snappedToSubpixelGrid(c.y, bits)});
                    }
                    for (int y = -2; y < kHeight + 2; y += 3) {
                        for (int x = -2; x < kWidth + 2; x += 3) {
                            const double bound =
                                outlineDistanceBound(corners, face, x + 0.5, y + 0.5);
                            if (bound == HUGE_VAL) continue;
                            ++bounded;
                            ASSERT_LE(signedDistanceFromOutline(x + 0.5, y + 0.5, outline), bound)
                                << describe(view) << " at " << x << ", " << y;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(bounded, 0u);
}

}  // namespace
