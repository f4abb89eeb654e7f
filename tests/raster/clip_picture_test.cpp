#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "mismatch_pictures.h"
#include "picture_files.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/render_software.h"
#include "raster_testing.h"

namespace {

constexpr int kWidth = 64;
constexpr int kHeight = 48;

// The eye at the origin looking down -z through a 0.4-wide perspective; a
// floor at y = -1 from z = -6 up to `nearZ`, lit from above.
Scene floorScene(float nearZ) {
    Scene scene;
    scene.projectionTransform.matrix.perspective(0.4f, 0.4f, 0.1f, 10.0f);
    scene.projectionTransform.matrix.invert(scene.projectionTransform.inverse);
    scene.ambient = Color(0.2f, 0.2f, 0.2f, 1.0f);
    scene.addLight(Vec3{0.0f, 5.0f, -3.0f}, Color(1.0f, 1.0f, 1.0f, 1.0f));
    scene.currentMaterial.diffuse = Color(0.8f, 0.6f, 0.4f, 1.0f);
    scene.beginObject();
    scene.beginFace();
    scene.setNormal(Vec3{0.0f, 1.0f, 0.0f});
    scene.addVertex(Vec4{-1.0f, -1.0f, -6.0f, 1.0f});
    scene.addVertex(Vec4{1.0f, -1.0f, -6.0f, 1.0f});
    scene.addVertex(Vec4{1.0f, -1.0f, nearZ, 1.0f});
    scene.addVertex(Vec4{-1.0f, -1.0f, nearZ, 1.0f});
    return scene;
}

struct Picture : BufferCopy {
    bool drawn(int x, int y) const { return depths[pixelIndex(x, y, kWidth)] != 1.0f; }
};

Picture render(Scene scene) {
    prepareFrameBuffers(viewerBuffers, kWidth, kHeight);
    markSlack(kWidth, kHeight);
    renderSoftware(scene, viewerBuffers.pixels(), kWidth, kHeight);
    EXPECT_TRUE(slackIntact(kWidth, kHeight));
    return Picture{copyBuffers(kWidth, kHeight)};
}

}  // namespace

// The floor runs on 4 units behind the eye. Only its part in front may be
// drawn: it must look like the same floor cut by hand 0.02 units in front of
// the eye (closer than the near plane, so that cut is off screen too), and
// nothing of the part behind may be mirrored up into the sky.
TEST(ClippedFace, FaceReachingBehindTheEyeDrawsOnlyItsPartInFront) {
    const Picture clipped = render(floorScene(4.0f));
    const Picture byHand = render(floorScene(-0.02f));

    int drawnByHand = 0, coverageDiffers = 0;
    float largestDepthGap = 0.0f, largestColorGap = 0.0f;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            const std::size_t i = pixelIndex(x, y, kWidth);
            if (byHand.drawn(x, y)) ++drawnByHand;
            if (byHand.drawn(x, y) != clipped.drawn(x, y)) {
                ++coverageDiffers;
            } else if (byHand.drawn(x, y)) {
                largestDepthGap =
                    std::max(largestDepthGap, std::fabs(byHand.depths[i] - clipped.depths[i]));
                largestColorGap =
                    std::max(largestColorGap, std::fabs(byHand.colors[i].r - clipped.colors[i].r));
            }
        }
    }
    // The floor reaches the horizon-side edge at z = -6, screen row 14;
    // above it lies only sky.
    for (int y = 15; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) EXPECT_FALSE(clipped.drawn(x, y)) << x << "," << y;
    }
    std::printf(
        "floor: %d pixels drawn by hand, coverage differs at %d, depth gap %g, red gap %g\n",
        drawnByHand, coverageDiffers, largestDepthGap, largestColorGap);
    EXPECT_GT(drawnByHand, 500);
    // The two outlines differ only in where their near ends were cut, far
    // below the window; at most a pixel per row may flip along the sides.
    EXPECT_LE(coverageDiffers, kHeight) << "pixels covered by one and not the other";
    EXPECT_LT(largestDepthGap, 1.0e-4f);
    EXPECT_LT(largestColorGap, 1.0e-3f);
    if (HasFailure()) {
        const std::vector<bool> differs =
            differingColors(byHand.colors.data(), clipped.colors.data(), kWidth, kHeight);
        ADD_FAILURE() << saveMismatchPictures(
                             "clipped-floor",
                             pictureOfColors(clipped.colors.data(), kWidth, kHeight),
                             pictureOfColors(byHand.colors.data(), kWidth, kHeight), &differs)
                      << "; coverage differs at " << coverageDiffers << " pixels";
    }
}

TEST(ClippedFace, FaceWhollyBehindTheEyeDrawsNothing) {
    Scene scene = floorScene(4.0f);
    for (Vertex& v : scene.objects[0].faces[0].vertices) v.position.z = std::fabs(v.position.z);
    const Picture picture = render(scene);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) EXPECT_FALSE(picture.drawn(x, y)) << x << "," << y;
    }
}

TEST(ClippedFace, FaceThroughTheEyeItselfStaysFinite) {
    // A wall through the eye: w is zero exactly at two corners' midpoints.
    Scene scene = floorScene(4.0f);
    std::vector<Vertex>& v = scene.objects[0].faces[0].vertices;
    v[0].position = Vec4{-1.0f, -1.0f, 0.0f, 1.0f};
    v[1].position = Vec4{1.0f, -1.0f, 0.0f, 1.0f};
    v[2].position = Vec4{1.0f, 1.0f, -2.0f, 1.0f};
    v[3].position = Vec4{-1.0f, 1.0f, -2.0f, 1.0f};
    const Picture picture = render(scene);
    int drawn = 0;
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            if (!picture.drawn(x, y)) continue;
            ++drawn;
            EXPECT_TRUE(std::isfinite(picture.depths[pixelIndex(x, y, kWidth)]));
        }
    }
    EXPECT_GT(drawn, 0);
}
