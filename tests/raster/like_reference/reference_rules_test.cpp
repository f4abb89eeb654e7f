// Each of the reference's rules on one face under one or two lights, against
// values worked out by hand. View and projection are identities, so world
// (x, y, z) is clip space, depth is z, the eye sits at the origin and on a
// w x h window world x = 2 * screen x / w - 1.
#include "raster/like_reference/reference_rules.h"

#include <gtest/gtest.h>

#include <cmath>
#include <initializer_list>
#include <string>

#include "raster/buffers/viewer_buffers.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster_testing.h"

namespace {

struct Corner {
    float x, y;  // on the screen
    float z;     // depth
    Vec3 normal;
    float w = 1.0f;  // clip w: the position is (x, y, z) in clip space times w
};

struct OneFace {
    int size = 8;
    Scene scene;

    OneFace(std::initializer_list<Corner> corners, Color diffuse, Color specular, int shininess,
            float ambient = 0.0f, int size = 8)
        : size(size) {
        scene.ambient = Color(ambient, ambient, ambient, 1.0f);
        scene.beginObject();
        scene.objects.back().material = Material{diffuse, specular, shininess};
        scene.beginFace();
        for (const Corner& c : corners) {
            scene.setNormal(c.normal);
            scene.addVertex(Vec4{(2.0f * c.x / size - 1.0f) * c.w, (2.0f * c.y / size - 1.0f) * c.w,
                                 c.z * c.w, c.w});
        }
    }

    void draw(const char* rules) {
        ReferenceRules parsed;  // "": none
        std::string bad;
        if (*rules) {
            ASSERT_TRUE(parseReferenceRules(rules, &parsed, &bad)) << bad;
        }
        ASSERT_TRUE(prepareFrameBuffers(viewerBuffers, size, size));
        renderSoftwareLikeReference(scene, viewerBuffers.pixels(), size, size, parsed);
    }
    const Color& colour(int x, int y) const { return colorBuffer[pixelIndex(x, y, size)]; }
    float depth(int x, int y) const { return depthBuffer[pixelIndex(x, y, size)]; }
};

const Vec3 kFacingEye{0.0f, 0.0f, 1.0f};
const Color kGrey(0.5f, 0.5f, 0.5f, 1.0f);
const Color kBlack(0.0f, 0.0f, 0.0f, 1.0f);
const Color kWhite(1.0f, 1.0f, 1.0f, 1.0f);

// The whole 8 x 8 window at depth -0.5 (world z = -0.5).
OneFace window(Color diffuse, Color specular, int shininess, float ambient = 0.0f,
               Vec3 normal = kFacingEye) {
    return OneFace({{0, 0, -0.5f, normal},
                    {8, 0, -0.5f, normal},
                    {8, 8, -0.5f, normal},
                    {0, 8, -0.5f, normal}},
                   diffuse, specular, shininess, ambient);
}

TEST(ReferenceRules, EachLightingRuleOnOneFaceMatchesTheHandWorkedValue) {
    const float root5 = std::sqrt(5.0f);
    const float unchecked = NAN;
    const struct {
        const char* what;
        OneFace face;
        int lights;  // white lights at `light`
        Vec3 light;
        int x, y;  // the pixel looked at
        const char* rules;
        float specified, likeReference;  // its red, without and with the rules
    } cases[] = {
        // Pixel (0, 4) lies at P = (-1, 0, -0.5). Ambient 0.4 times the
        // diffuse red 0.5, or times the material's ambient, the scene's 0.4.
        {"ambient",
         window(Color(0.5f, 0.25f, 0.0f, 1.0f), kBlack, 0, 0.4f),
         0,
         {},
         0,
         4,
         "ambient",
         0.2f,
         0.16f},
        // A point light at (0, 0, 1) lies along (1, 0, 1.5) from P; as a
        // direction it is straight overhead.
        {"lights",
         window(kGrey, kBlack, 0),
         1,
         {0, 0, 1},
         0,
         4,
         "lights",
         0.5f * 1.5f / std::sqrt(3.25f),
         0.5f},
        // Light overhead of P; the eye at the origin lies along (2, 0, 1) /
        // sqrt(5) from P, so the half vector leans away from the normal; a
        // viewer at infinity lies along +z with the light.
        {"viewer",
         window(kBlack, kWhite, 1),
         1,
         {-1, 0, 10},
         0,
         4,
         "viewer",
         (1.0f + 1.0f / root5) / std::sqrt(2.0f + 2.0f / root5),
         1.0f},
        // Pixel (4, 4) at (0, 0, -0.5) with the light along (1, 0, -1),
        // behind the face: the half vector lies 67.5 degrees off the normal.
        {"specular, light behind",
         window(kBlack, kWhite, 1),
         1,
         {1, 0, -1.5f},
         4,
         4,
         "specular",
         std::cos(67.5f * 3.14159265f / 180.0f),
         0.0f},
        // The light along (0.6, 0, -0.8) faces a normal of -z, but the half
        // vector (0.6, 0, 0.2) / |.| does not: base -1 / sqrt(10).
        {"specular, negative base",
         window(kBlack, kWhite, 1, 0.0f, {0, 0, -1}),
         1,
         {6, 0, -8.5f},
         4,
         4,
         "specular",
         -1.0f / std::sqrt(10.0f),
         0.0f},
        // Two lights overhead light the corners 2, 0 and 2, clamped to 1, 0
        // and 1; the centre (1.5, 1.5) weighs them 5/8, 3/16 and 3/16.
        {"vertex",
         OneFace({{0, 0, -0.5f, kFacingEye}, {8, 0, -0.5f, {1, 0, 0}}, {0, 8, -0.5f, kFacingEye}},
                 kWhite, kBlack, 0),
         2,
         {0, 0, 1},
         1,
         1,
         "lights,vertex",
         unchecked,
         0.8125f},
        // The same corners lit 1, 0 and 1 by one light, the third at clip w
        // 2: perspective-correct weights 5/8, 3/16 and 3/32 over their sum
        // 29/32. Linearly in screen space it would be 13/16 again.
        {"perspective",
         OneFace(
             {{0, 0, -0.5f, kFacingEye}, {8, 0, -0.5f, {1, 0, 0}}, {0, 8, -0.5f, kFacingEye, 2}},
             kWhite, kBlack, 0),
         1,
         {0, 0, 1},
         1,
         1,
         "lights,vertex,perspective",
         unchecked,
         23.0f / 29.0f},
    };
    for (const auto& c : cases) {
        OneFace face = c.face;
        for (int i = 0; i < c.lights; ++i) face.scene.addLight(c.light, kWhite);
        face.draw("");
        if (!std::isnan(c.specified)) {
            EXPECT_NEAR(face.colour(c.x, c.y).r, c.specified, 2e-6f) << c.what << ", specified";
        }
        face.draw(c.rules);
        EXPECT_NEAR(face.colour(c.x, c.y).r, c.likeReference, 2e-6f) << c.what << ", " << c.rules;
        EXPECT_EQ(face.colour(c.x, c.y).a, 1.0f) << c.what;
    }
}

// Coverage and depth: a 10 x 10 window, a square from (left, 2.4) to (6.6,
// 6.6) with depth 0.05 x screen x, lit by its ambient term alone.
TEST(ReferenceRules, CoverageRulesCoverThePixelsWorkedOutByHand) {
    const struct {
        const char* rules;
        float left;
        int firstColumn, endColumn, firstRow, endRow;  // covered: [first, end)
        float depthAtFirst;                            // at (firstColumn, firstRow)
    } cases[] = {
        // Truncated edges: columns and rows 2 to 5; depth as on the left edge.
        {"", 2.4f, 2, 6, 2, 6, 0.05f * 2.4f},
        // Centres 2.5 to 6.5 lie in [2.4, 6.6); depth at the centre.
        {"sampling", 2.4f, 2, 7, 2, 7, 0.05f * 2.5f},
        // Column 2's centre lies left of 2.5015 ...
        {"sampling", 2.5015f, 3, 7, 2, 7, 0.05f * 3.5f},
        // ... unless 2.5015 snaps to the nearest 1/256, 2.5, on the centre,
        // which then has the depth of the snapped corner.
        {"sampling,subpixel", 2.5015f, 2, 7, 2, 7, 0.05f * 2.5015f},
        {"sampling,subpixel=8", 2.5015f, 2, 7, 2, 7, 0.05f * 2.5015f},
        // Half a pixel: 2.7 and 2.4 snap to 2.5, 6.6 to 6.5, which the
        // centres on the right and top sides no longer reach.
        {"sampling", 2.7f, 3, 7, 2, 7, 0.05f * 3.5f},
        {"sampling,subpixel=1", 2.7f, 2, 6, 2, 6, 0.05f * 2.7f},
    };
    for (const auto& c : cases) {
        OneFace face({{c.left, 2.4f, 0.05f * c.left, kFacingEye},
                      {6.6f, 2.4f, 0.05f * 6.6f, kFacingEye},
                      {6.6f, 6.6f, 0.05f * 6.6f, kFacingEye},
                      {c.left, 6.6f, 0.05f * c.left, kFacingEye}},
                     kWhite, kBlack, 0, 1.0f, 10);
        face.draw(c.rules);
        for (int y = 0; y < 10; ++y) {
            for (int x = 0; x < 10; ++x) {
                const bool expected =
                    x >= c.firstColumn && x < c.endColumn && y >= c.firstRow && y < c.endRow;
                EXPECT_EQ(face.depth(x, y) < 1.0f, expected)
                    << "'" << c.rules << "' from " << c.left << " at " << x << ", " << y;
            }
        }
        EXPECT_NEAR(face.depth(c.firstColumn, c.firstRow), c.depthAtFirst, 1e-6f) << c.rules;
    }
}

}  // namespace
