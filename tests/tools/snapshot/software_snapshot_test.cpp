// The tool's software pictures against the rasteriser called directly.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "bit_testing.h"
#include "child_process.h"
#include "mismatch_pictures.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/render_software.h"
#include "run_tool.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "temp_dir.h"
#include "test_images.h"
#include "view/camera.h"
#include "view/view.h"

namespace {

struct Shot {
    int width, height;
    View view;
};

// What the viewer's software frame of this view leaves in the buffers.
void renderDirectly(const Shot& s) {
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, s.view, s.width, s.height);
    prepareFrameBuffers(viewerBuffers, s.width, s.height);
    renderSoftware(scene, viewerBuffers.pixels(), s.width, s.height);
}

std::vector<std::string> toolArguments(const Shot& s) {
    const View& v = s.view;
    return {snapshotBinary(),         "--width",   std::to_string(s.width),  "--height",
            std::to_string(s.height), "--angle-z", std::to_string(v.angleZ), "--angle-x",
            std::to_string(v.angleX), "--zoom",    std::to_string(v.zoom),   "--pan-x",
            std::to_string(v.panX),   "--pan-y",   std::to_string(v.panY)};
}

// Every software path and thread count of the tool gives the same buffers.
TEST(SoftwareSnapshot, FloatBuffersEqualTheDirectRenderBitForBit) {
    // Not square, every view parameter away from its default, and each one
    // exactly representable in the decimal text passed to the tool.
    const Shot view{200, 150, {-100.0f, -45.0f, 1.25f, 20.0f, -10.0f}};
    renderDirectly(view);
    const int pixels = view.width * view.height;
    std::vector<std::uint32_t> expectedColor, expectedDepth;
    long covered = 0;
    for (int i = 0; i < pixels; ++i) {
        const Color& c = colorBuffer[i];
        expectedColor.insert(expectedColor.end(), {floatBits(c.r), floatBits(c.g), floatBits(c.b)});
        expectedDepth.push_back(floatBits(depthBuffer[i]));
        if (depthBuffer[i] < 1.0f) ++covered;
    }
    // A blank frame would match trivially; this view shows all three patches.
    EXPECT_GT(covered, pixels / 10) << "the direct render drew almost nothing";

    const std::vector<std::vector<std::string>> variants = {
        {},
        {"--software-path", "plain"},
        {"--threads", "1"},
        {"--threads", "2"},
        {"--software-path=fast", "--threads=3"},
        {"--stop-after", "2:143"}};  // the last face: the whole frame
    for (const std::vector<std::string>& variant : variants) {
        std::string named;
        for (const std::string& a : variant) named += " " + a;
        SCOPED_TRACE("options:" + named);
        const TempDir temp("rasterwork-software-");
        const std::string& dir = temp.path();
        std::vector<std::string> args = toolArguments(view);
        args.insert(args.end(), variant.begin(), variant.end());
        args.insert(args.end(), {"--color-pfm", "c.pfm", "--depth-pfm", "d.pfm"});
        const ToolRun run = runTool(args, dir);
        ASSERT_TRUE(run.finished);
        ASSERT_EQ(run.status, 0) << run.err;

        PfmFile color, depth;
        std::string error;
        ASSERT_TRUE(readPfm(dir + "/c.pfm", &color, &error)) << error;
        ASSERT_TRUE(readPfm(dir + "/d.pfm", &depth, &error)) << error;
        ASSERT_EQ(color.width, view.width);
        ASSERT_EQ(color.height, view.height);
        ASSERT_EQ(depth.width, view.width);
        ASSERT_EQ(depth.height, view.height);

        long colorMismatches = 0, depthMismatches = 0;
        for (std::size_t i = 0; i < expectedColor.size(); ++i) {
            colorMismatches += color.bits[i] != expectedColor[i];
        }
        for (std::size_t i = 0; i < expectedDepth.size(); ++i) {
            depthMismatches += depth.bits[i] != expectedDepth[i];
        }
        EXPECT_EQ(colorMismatches, 0);
        EXPECT_EQ(depthMismatches, 0);
        EXPECT_EQ(fnv1a(color.bits), fnv1a(expectedColor));
        EXPECT_EQ(fnv1a(depth.bits), fnv1a(expectedDepth));
    }
    std::printf("covered pixels %ld of %d; colour digest %016llx, depth digest %016llx\n", covered,
                pixels, static_cast<unsigned long long>(fnv1a(expectedColor)),
                static_cast<unsigned long long>(fnv1a(expectedDepth)));
}

// The window's conversion: clamp, float product, nearest step (ties even).
int windowByte(float v) {
    if (std::isnan(v) || v <= 0.0f) return 0;
    if (v >= 1.0f) return 255;
    return static_cast<int>(std::nearbyint(v * 255.0f));
}

TEST(SoftwareSnapshot, PngShowsTheColourBufferTopRowFirst) {
    const TempDir temp("rasterwork-software-");
    const std::string& dir = temp.path();
    const ToolRun run = runTool({snapshotBinary(), "--width", "160", "--height", "120", "--png",
                                 "p.png", "--color-pfm", "c.pfm"},
                                dir);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.status, 0) << run.err;
    RgbImage png;
    PfmFile color;
    std::string error;
    ASSERT_TRUE(readPng(dir + "/p.png", &png, &error)) << error;
    ASSERT_TRUE(readPfm(dir + "/c.pfm", &color, &error)) << error;
    ASSERT_EQ(png.width, 160);
    ASSERT_EQ(png.height, 120);

    RgbImage expected = png;
    for (int row = 0; row < png.height; ++row) {
        for (int x = 0; x < png.width; ++x) {
            const std::size_t sample =
                (static_cast<std::size_t>(png.height - 1 - row) * png.width + x) * 3;
            for (int c = 0; c < 3; ++c) {
                expected.rgb[(static_cast<std::size_t>(row) * png.width + x) * 3 + c] =
                    static_cast<std::uint8_t>(windowByte(floatFromBits(color.bits[sample + c])));
            }
        }
    }
    const PictureDifference difference = comparePictures(png, expected, 0);
    EXPECT_EQ(difference.differingPixels, 0) << saveMismatchPictures("png-vs-pfm", png, expected);
    EXPECT_GT(countNonWhite(png), 160 * 120 / 10);
}

// Mean row (top row 0) and count of the pixels where one channel clearly
// dominates the other two.
struct Patch {
    long count = 0;
    double meanRow = 0.0;
    double meanX = 0.0;
};

Patch findPatch(const RgbImage& image, int channel) {
    Patch patch;
    for (int row = 0; row < image.height; ++row) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = image.at(x, row);
            const int others = std::max(p[(channel + 1) % 3], p[(channel + 2) % 3]);
            if (p[channel] > 100 && p[channel] > others + 80) {
                ++patch.count;
                patch.meanRow += row;
                patch.meanX += x;
            }
        }
    }
    if (patch.count) {
        patch.meanRow /= patch.count;
        patch.meanX /= patch.count;
    }
    return patch;
}

TEST(SoftwareSnapshot, DefaultViewShowsGreenAboveRedOnTheLeftAndBlueOnTheRight) {
    const TempDir temp("rasterwork-software-");
    const std::string& dir = temp.path();
    const ToolRun run = runTool({snapshotBinary(), "--png", "default.png"}, dir);
    ASSERT_TRUE(run.finished);
    ASSERT_EQ(run.status, 0) << run.err;
    RgbImage png;
    std::string error;
    ASSERT_TRUE(readPng(dir + "/default.png", &png, &error)) << error;
    const Patch red = findPatch(png, 0);
    const Patch green = findPatch(png, 1);
    const Patch blue = findPatch(png, 2);
    for (const Patch* p : {&red, &green, &blue}) ASSERT_GT(p->count, 5000);
    EXPECT_LT(green.meanRow, red.meanRow);
    EXPECT_LT(green.meanRow, blue.meanRow);
    EXPECT_LT(red.meanX, green.meanX);
    EXPECT_LT(green.meanX, blue.meanX);
}

}  // namespace
