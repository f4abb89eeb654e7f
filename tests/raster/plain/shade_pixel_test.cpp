#include "raster/plain/shade_pixel.h"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>

#include "raster_testing.h"

namespace {

// Identity inverses put the eye at the origin; on a 2 x 2 window the pixel at
// column 1, row 1 with depth -1 lies at (0, 0, -1), so V = (0, 0, 1).
struct ShadeSetup {
    Scene scene;
    Material& material;

    explicit ShadeSetup(int shininess) : material(firstObjectMaterial(scene)) {
        scene.ambient = Color(0.4f, 0.4f, 0.4f, 1.0f);
        material.diffuse = Color(0.5f, 0.5f, 0.5f, 1.0f);
        material.specular = Color(0.2f, 0.2f, 0.2f, 1.0f);
        material.shininess = shininess;
    }

    static Material& firstObjectMaterial(Scene& scene) {
        scene.beginObject();
        return scene.objects[0].material;
    }

    void addWhiteLight(Vec3 position) { scene.addLight(position, Color(1.0f, 1.0f, 1.0f, 1.0f)); }

    // The pixel at column 1, row 1 of a 2 x 2 frame, depth -1; `out` keeps
    // whatever alpha it comes with, and `normal` comes back normalised.
    void shadeInto(Color& out, Vec3& normal) {
        const DrawContext draw(scene, viewerBuffers.pixels(), 2, 2);
        shadePixel(out, FaceContext{draw, 0, 0}, normal, 1.0f, 1.0f, -1.0f);
    }

    Color shade(Vec3 normal) {
        Color out(0.0f, 0.0f, 0.0f, 1.0f);
        shadeInto(out, normal);
        return out;
    }
};

void expectGrey(const Color& c, float value, float tolerance) {
    EXPECT_NEAR(c.r, value, tolerance);
    EXPECT_NEAR(c.g, value, tolerance);
    EXPECT_NEAR(c.b, value, tolerance);
}

}  // namespace

TEST(ShadePixel, LightStraightAlongTheNormal) {
    for (int shininess : {0, 1, 2, 30, 120}) {
        ShadeSetup s(shininess);
        s.addWhiteLight(Vec3{0.0f, 0.0f, 1.0f});
        const Color c = s.shade(Vec3{0.0f, 0.0f, 1.0f});
        EXPECT_FLOAT_EQ(c.r, 0.9f) << shininess;
        EXPECT_EQ(c.r, c.g);
        EXPECT_EQ(c.r, c.b);
    }
}

TEST(ShadePixel, GrazingLightGivesSpecularWithoutDiffuse) {
    ShadeSetup s(2);
    s.addWhiteLight(Vec3{1.0f, 0.0f, -1.0f});
    expectGrey(s.shade(Vec3{0.0f, 0.0f, 1.0f}), 0.3f, 1e-6f);
}

TEST(ShadePixel, LightBehindClampsDiffuseButNotTheSpecularBase) {
    ShadeSetup even(2);
    even.addWhiteLight(Vec3{-1.0f, 0.0f, -1.0f});
    expectGrey(even.shade(Vec3{1.0f, 0.0f, 0.0f}), 0.3f, 1e-6f);

    // An odd power keeps s = -1/sqrt(2) negative and darkens the pixel.
    ShadeSetup odd(3);
    odd.addWhiteLight(Vec3{-1.0f, 0.0f, -1.0f});
    const Color c = odd.shade(Vec3{1.0f, 0.0f, 0.0f});
    expectGrey(c, 0.2f - 0.1f / std::sqrt(2.0f), 1e-6f);
    EXPECT_LT(c.r, 0.13f);
}

TEST(ShadePixel, ZeroAndNegativeShininess) {
    // Zero: f = 1 whatever s is, so the whole specular colour is added.
    ShadeSetup zero(0);
    zero.addWhiteLight(Vec3{1.0f, 0.0f, -1.0f});
    expectGrey(zero.shade(Vec3{0.0f, 0.0f, 1.0f}), 0.4f, 1e-6f);

    // Negative: the reciprocal, here 1 / (1/sqrt(2))^2 = 2.
    ShadeSetup negative(-2);
    negative.addWhiteLight(Vec3{1.0f, 0.0f, -1.0f});
    expectGrey(negative.shade(Vec3{0.0f, 0.0f, 1.0f}), 0.2f + 0.4f, 1e-5f);

    // The most negative exponent drives the power to 0 and its reciprocal to
    // infinity, without overflowing the magnitude.
    ShadeSetup extreme(INT_MIN);
    extreme.addWhiteLight(Vec3{1.0f, 0.0f, -1.0f});
    EXPECT_TRUE(std::isinf(extreme.shade(Vec3{0.0f, 0.0f, 1.0f}).r));
}

TEST(ShadePixel, NoLightsLeavesTheAmbientTerm) {
    ShadeSetup s(30);
    const Color c = s.shade(Vec3{0.0f, 0.0f, 1.0f});
    EXPECT_EQ(c.r, 0.4f * 0.5f);
    EXPECT_EQ(c.g, 0.4f * 0.5f);
    EXPECT_EQ(c.b, 0.4f * 0.5f);
}

TEST(ShadePixel, NormalisesTheCallersNormalInPlace) {
    ShadeSetup s(2);
    s.addWhiteLight(Vec3{0.0f, 0.0f, 1.0f});
    Vec3 normal{0.0f, 0.0f, 2.0f};
    Color out(0.0f, 0.0f, 0.0f, 1.0f);
    s.shadeInto(out, normal);
    EXPECT_EQ(normal.x, 0.0f);
    EXPECT_EQ(normal.y, 0.0f);
    EXPECT_EQ(normal.z, 1.0f);

    Vec3 slanted{3.0f, 0.0f, 4.0f};
    s.shadeInto(out, slanted);
    EXPECT_FLOAT_EQ(slanted.x, 0.6f);
    EXPECT_FLOAT_EQ(slanted.z, 0.8f);
}

TEST(ShadePixel, LeavesAlphaAsTheCallerSetIt) {
    ShadeSetup s(2);
    s.addWhiteLight(Vec3{0.0f, 0.0f, 1.0f});
    Vec3 normal{0.0f, 0.0f, 1.0f};
    Color out(0.0f, 0.0f, 0.0f, 0.25f);
    s.shadeInto(out, normal);
    EXPECT_EQ(out.a, 0.25f);
}

TEST(ShadePixel, ColoursAreNotClamped) {
    ShadeSetup s(1);
    s.material.diffuse = Color(1.0f, 1.0f, 1.0f, 1.0f);
    s.addWhiteLight(Vec3{0.0f, 0.0f, 1.0f});
    s.addWhiteLight(Vec3{0.0f, 0.0f, 3.0f});
    const Color c = s.shade(Vec3{0.0f, 0.0f, 1.0f});
    EXPECT_FLOAT_EQ(c.r, 0.4f + 2.0f * (1.0f + 0.2f));
    EXPECT_GT(c.g, 1.0f);
    EXPECT_GT(c.b, 1.0f);
}

TEST(ShadePixel, LightColourAndMaterialChannelsStaySeparate) {
    ShadeSetup s(0);
    s.scene.ambient = Color(0.1f, 0.2f, 0.3f, 1.0f);
    s.material.diffuse = Color(1.0f, 0.5f, 0.25f, 1.0f);
    s.material.specular = Color(0.0f, 0.0f, 0.0f, 1.0f);
    s.scene.addLight(Vec3{0.0f, 0.0f, 1.0f}, Color(0.5f, 1.0f, 2.0f, 1.0f));
    const Color c = s.shade(Vec3{0.0f, 0.0f, 1.0f});
    EXPECT_FLOAT_EQ(c.r, 0.1f * 1.0f + 1.0f * 0.5f);
    EXPECT_FLOAT_EQ(c.g, 0.2f * 0.5f + 0.5f * 1.0f);
    EXPECT_FLOAT_EQ(c.b, 0.3f * 0.25f + 0.25f * 2.0f);
}

TEST(ShadePixel, WorldPositionComesBackThroughBothInverses) {
    // A view that moves the scene 2 units away along -z: the eye sits at
    // (0, 0, 2) in world space and the pixel at depth -1 at (0, 0, 1). A light
    // at (0, 0, 5) then shines straight down the normal.
    ShadeSetup s(1);
    s.scene.viewTransform.matrix.translate(0.0f, 0.0f, -2.0f);
    s.scene.viewTransform.matrix.invert(s.scene.viewTransform.inverse);
    s.addWhiteLight(Vec3{0.0f, 0.0f, 5.0f});
    expectGrey(s.shade(Vec3{0.0f, 0.0f, 1.0f}), 0.9f, 1e-6f);
    // Off to the side, both the diffuse and the specular factor drop.
    ShadeSetup side(1);
    side.scene.viewTransform = s.scene.viewTransform;
    side.addWhiteLight(Vec3{3.0f, 0.0f, 1.0f});
    const Color c = side.shade(Vec3{0.0f, 0.0f, 1.0f});
    EXPECT_NEAR(c.r, 0.2f + 0.2f * std::sqrt(0.5f), 1e-6f);
}

TEST(ShadePixel, ZeroLengthNormalGivesNotANumberWithoutTrapping) {
    ShadeSetup s(2);
    s.addWhiteLight(Vec3{0.0f, 0.0f, 1.0f});
    const Color c = s.shade(Vec3{0.0f, 0.0f, 0.0f});
    EXPECT_TRUE(std::isnan(c.r));
}
