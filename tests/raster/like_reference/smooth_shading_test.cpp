// The colour the smooth fill asks of a face at a point against the record of
// how sampleAt finds it, on every face of the default scene and on faces
// built corner by corner.
#include "raster/like_reference/smooth_shading.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "bit_testing.h"
#include "raster/plain/vertex_stage.h"
#include "scene_rendering.h"

namespace {

// colourAt's red, green and blue are sampleAt's to the bit; its alpha is 1.
void expectColourIsTheSamples(const SmoothFace& smooth, double x, double y) {
    const Color colour = smooth.colourAt(x, y);
    const Color sampled = smooth.sampleAt(x, y).colour;
    EXPECT_EQ(floatBits(colour.r), floatBits(sampled.r)) << x << ", " << y;
    EXPECT_EQ(floatBits(colour.g), floatBits(sampled.g)) << x << ", " << y;
    EXPECT_EQ(floatBits(colour.b), floatBits(sampled.b)) << x << ", " << y;
    EXPECT_EQ(floatBits(colour.a), floatBits(1.0f));
}

}  // namespace

// The pixel centres within three pixels of every corner of every face
// (inside the face and outside it, where the weights are extrapolated), lit
// linearly and perspective-correctly, in the start-up frame and two close
// up, where faces are cut by the borders and behind the eye (polygons of
// five corners and more, so fans of more triangles).
TEST(SmoothFace, TheColourIsTheSamplesOwnOnEveryFace) {
    const View views[] = {View{}, View{0.0f, -60.0f, 10.0f, 0.0f, 0.0f},
                          View{-135.0f, -60.0f, 10.5f, 0.0f, 0.0f}};
    int outside = 0, fans = 0;
    for (const bool perspective : {false, true}) {
        ReferenceRules rules;
        rules.vertex = true;
        rules.perspective = perspective;
        for (const View& view : views) {
            Scene scene;
            prepareDefaultFrame(scene, view, 120, 90);
            VertexStage vertices;
            std::vector<ScanEdge> edges;
            for (const SceneObject& object : scene.objects) {
                for (const Face& face : object.faces) {
                    vertices.faceEdges(scene, face, 120, 90, edges);
                    SmoothFace smooth;
                    smooth.light(scene, object.material, vertices.polygon(),
                                 vertices.screenPolygon(), rules);
                    fans += vertices.screenPolygon().size() > 4;
                    for (const Vertex& corner : vertices.screenPolygon()) {
                        for (int k = 0; k < 49; ++k) {
                            const double x = std::floor(corner.position.x) + k % 7 - 2.5;
                            const double y = std::floor(corner.position.y) + k / 7 - 2.5;
                            expectColourIsTheSamples(smooth, x, y);
                            const SmoothFace::Sample s = smooth.sampleAt(x, y);
                            const double* w = s.screenWeights;
                            outside += std::min({w[0], w[1], w[2]}) < 0.0;
                        }
                    }
                }
            }
        }
    }
    EXPECT_GT(outside, 1000);  // the extrapolated weights were taken too
    EXPECT_GT(fans, 10);
}

// A face of no corners is black, one of fewer than three corners or of no
// area has its first corner's colour everywhere, alpha 1 throughout.
TEST(SmoothFace, AFaceWithoutATriangleHasItsFirstCornersColour) {
    SmoothFace none;
    expectColourIsTheSamples(none, 3.5, 4.5);
    EXPECT_EQ(none.colourAt(3.5, 4.5).r, 0.0f);

    const Color first(0.25f, 0.5f, 0.75f, 0.125f), other(1.0f, 0.0f, 1.0f, 1.0f);
    SmoothFace two, collinear;
    for (SmoothFace* face : {&two, &collinear}) {
        face->addCorner(1.0f, 1.0f, first);
        face->addCorner(5.0f, 3.0f, other);
    }
    collinear.addCorner(9.0f, 5.0f, other);
    for (const SmoothFace* face : {&two, &collinear}) {
        for (const double x : {-20.5, 1.0, 3.5, 40.5}) {
            expectColourIsTheSamples(*face, x, 2.5);
            EXPECT_EQ(floatBits(face->colourAt(x, 2.5).g), floatBits(first.g));
        }
    }
}
