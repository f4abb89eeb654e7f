#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "mismatch_pictures.h"
#include "picture_files.h"
#include "raster/buffers/simd_targets.h"
#include "raster/buffers/viewer_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/fast/scan_convert_fast.h"
#include "raster/plain/clip_w.h"
#include "raster/plain/project_vertex.h"
#include "raster/render_software.h"
#include "raster_testing.h"
#include "scene/default_scene.h"
#include "scene_rendering.h"
#include "view/camera.h"

namespace {

struct Frame {
    View view;
    int width;
    int height;
    // An inverse projection without the exact zeros of a perspective, or an
    // inverse view whose last row is not (0, 0, 0, 1); or a depth part of the
    // unprojected z that lets the lighting take z as the frame's one float
    // at the nearer half of the picture's depths only, or at none of them.
    enum Skew { kNone, kProjection, kView, kDepthPartHalf, kDepthPartAll } skew = kNone;
    // Other lighting than the default scene's: this many of its two lights,
    // repeated (-1: as built), and the three objects' shininess.
    int lights = -1;
    int shininess[3] = {0, 0, 0};
    bool twin = false;  // addTwinOfFirstObject
};

// One run of frames, the view and the size changing between them: the
// golden views, odd sizes, the eye inside the patches, faces reaching behind
// the eye, far pans and zooms.
std::vector<Frame> frameRun() {
    return {
        {View{}, 480, 480},
        {View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f}, 640, 360},
        {View{30.0f, 50.0f, -2.0f, 0.0f, 0.0f}, 200, 300},
        {View{}, 1, 1},
        {View{}, 1, 700},
        {View{}, 333, 517},
        {View{33.0f, -151.0f, 3.0f, 0.0f, 0.0f}, 333, 517},
        {View{-135.0f, -60.0f, 11.0f, 0.0f, 0.0f}, 333, 517},
        {View{0.0f, 0.0f, 9.5f, 0.0f, 0.0f}, 160, 120},
        {View{90.0f, -90.0f, 10.25f, 0.0f, 0.0f}, 160, 120},
        {View{33.0f, -151.0f, 10.0f, 0.0f, 0.0f}, 97, 211},
        {View{-135.0f, -60.0f, 10.75f, 0.1f, 0.1f}, 240, 240},
        {View{-135.0f, -60.0f, -30.0f, 0.0f, 0.0f}, 240, 240},
        {View{-135.0f, -60.0f, -8.0f, 2.0f, 1.0f}, 240, 240},
        {View{-135.0f, -60.0f, -100.0f, 25.0f, -40.0f}, 240, 240},
        {View{-720.5f, 1.0e6f, 60.0f, -5000.0f, 3000.0f}, 240, 240},
        {View{33.0f, -151.0f, 100.0f, 1.0e7f, -1.0e7f}, 64, 48},
        {View{}, 200, 150, Frame::kProjection},
        {View{-135.0f, -60.0f, 11.0f, 0.0f, 0.0f}, 200, 150, Frame::kProjection},
        {View{}, 200, 150, Frame::kView},
        {View{}, 200, 150, Frame::kDepthPartHalf},
        {View{}, 200, 150, Frame::kDepthPartAll},
        {View{}, 200, 150, Frame::kNone, 0, {5, -3, 0}},
        {View{}, 200, 150, Frame::kNone, 1, {-2, 255, 1}},
        {View{}, 200, 150, Frame::kNone, 3, {7, INT_MIN, -30}},
        // Lights past the first pair, in pairs and one left over.
        {View{}, 200, 150, Frame::kNone, 4, {0, 6, -1}},
        {View{33.0f, -151.0f, 3.0f, 0.0f, 0.0f}, 200, 150, Frame::kNone, 5, {3, 128, -7}},
        {View{10.0f, -20.0f, 1.5f, 0.0f, 0.0f}, 1280, 900},  // bands handed over in pieces
        {View{}, 200, 150, Frame::kNone, -1, {0, 0, 0}, true},
        {View{-90.0f, -80.0f, 0.25f, 0.0f, 0.0f}, 160, 120, Frame::kNone, -1, {0, 0, 0}, true},
        {View{}, 480, 480},
    };
}

// The frame's scene and camera, with the buffers sized and cleared.
void prepareFrame(Scene& scene, const Frame& frame) {
    prepareDefaultFrame(scene, frame.view, frame.width, frame.height);
    if (frame.skew == Frame::kProjection) {
        scene.projectionTransform.inverse.at(0, 1) = 0.01;
        scene.projectionTransform.inverse.at(2, 0) = -0.02;
    }
    if (frame.skew == Frame::kView) scene.viewTransform.inverse.at(3, 0) = 0.001;
    // The default view's depths run from 0.937 to 0.958.
    if (frame.skew == Frame::kDepthPartHalf)
        scene.projectionTransform.inverse.at(2, 2) = -1.5855e-8;
    if (frame.skew == Frame::kDepthPartAll) scene.projectionTransform.inverse.at(2, 2) = -1.0e-3;
    if (frame.lights >= 0) {
        const std::vector<Light> built = scene.lights;
        scene.lights.clear();
        for (int i = 0; i < frame.lights; ++i) scene.lights.push_back(built[i % built.size()]);
        for (int k = 0; k < 3; ++k) scene.objects[k].material.shininess = frame.shininess[k];
    }
    if (frame.twin) addTwinOfFirstObject(scene);
}

bool reachesBehindTheEye(const Scene& scene) {
    for (const SceneObject& object : scene.objects)
        for (const Face& face : object.faces)
            for (const Vertex& v : face.vertices)
                if (!(toClipSpace(scene, v.position).w > kMinClipW)) return true;
    return false;
}

// Floats of the two buffers whose bits differ from `expected`.
std::size_t differingFloats(const BufferCopy& expected, int width, int height) {
    const std::size_t n = pixelIndex(0, height, width);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Color& e = expected.colors[i];
        const Color& a = colorBuffer[i];
        const float pairs[5][2] = {
            {e.r, a.r}, {e.g, a.g}, {e.b, a.b}, {e.a, a.a}, {expected.depths[i], depthBuffer[i]}};
        for (const auto& pair : pairs) differing += floatBits(pair[0]) != floatBits(pair[1]);
    }
    return differing;
}

class FastPath : public ::testing::TestWithParam<std::int64_t> {
  protected:
    void SetUp() override {
        restrictSimdTarget(GetParam());
        ASSERT_EQ(availableSimdTargets(), std::vector<std::int64_t>{GetParam()});
    }
    void TearDown() override { restrictSimdTarget(0); }
};

std::string targetName(const ::testing::TestParamInfo<std::int64_t>& info) {
    return simdTargetName(info.param);
}

}  // namespace

// Every float of the colour and depth buffers equals the pixel-by-pixel
// path's, frame after frame, for one, two and three threads, on this SIMD
// target.
TEST_P(FastPath, DrawsThePlainPathsBuffersBitForBit) {
    int framesBehindTheEye = 0, framesDrawn = 0;
    int index = 0;
    for (const Frame& frame : frameRun()) {
        SCOPED_TRACE(describe(frame.view) + " at " + std::to_string(frame.width) + "x" +
                     std::to_string(frame.height));
        Scene scene;
        prepareFrame(scene, frame);
        renderSoftwarePlain(scene, viewerBuffers.pixels(), frame.width, frame.height);
        const BufferCopy plain = copyBuffers(frame.width, frame.height);
        const bool drew = std::any_of(plain.depths.begin(), plain.depths.end(),
                                      [](float depth) { return depth != 1.0f; });
        framesDrawn += drew;
        framesBehindTheEye += drew && reachesBehindTheEye(scene);

        for (int threads = 1; threads <= 3; ++threads) {
            prepareFrameBuffers(viewerBuffers, frame.width, frame.height);
            markSlack(frame.width, frame.height);
            renderSoftware(scene, viewerBuffers.pixels(), frame.width, frame.height, threads);
            EXPECT_TRUE(slackIntact(frame.width, frame.height));
            const std::size_t differing = differingFloats(plain, frame.width, frame.height);
            if (differing != 0) {
                const std::vector<bool> differs =
                    differingColors(plain.colors.data(), colorBuffer, frame.width, frame.height);
                ADD_FAILURE() << differing << " floats differ with " << threads << " thread(s); "
                              << saveMismatchPictures(
                                     std::string("fast-path-") + simdTargetName(GetParam()) + "-" +
                                         std::to_string(index),
                                     pictureOfColors(colorBuffer, frame.width, frame.height),
                                     pictureOfColors(plain.colors.data(), frame.width,
                                                     frame.height),
                                     &differs);
            }
        }
        ++index;
    }
    // The run must keep covering what it claims to.
    EXPECT_GE(framesDrawn, 12);
    EXPECT_GE(framesBehindTheEye, 3);
}

// The viewer's frame, which clears only what the frame before drew and
// converts each band of rows to window bytes as it goes, run frame after
// frame through changing views and sizes (with the clear of a reference frame
// or the fast path's storage given back in between now and then): after each
// frame the buffers equal a full clear followed by the plain path, and the
// bands hold the window bytes of every pixel that is not white.
TEST_P(FastPath, ViewerFramesEqualAFullClearAndThePlainPath) {
    const std::vector<Frame> run = frameRun();
    std::vector<Scene> scenes(run.size());
    std::vector<BufferCopy> plain;
    for (std::size_t i = 0; i < run.size(); ++i) {
        prepareFrame(scenes[i], run[i]);
        renderSoftwarePlain(scenes[i], viewerBuffers.pixels(), run[i].width, run[i].height);
        plain.push_back(copyBuffers(run[i].width, run[i].height));
    }
    for (std::size_t i = 0; i < run.size(); ++i) {
        const int width = run[i].width, height = run[i].height;
        SCOPED_TRACE(describe(run[i].view) + " at " + std::to_string(width) + "x" +
                     std::to_string(height));
        if (i % 3 == 2) {
            ASSERT_TRUE(sizeFrameBuffers(viewerBuffers, width, height));
            clearWrittenPixels(viewerBuffers);
        }
        if (i % 5 == 4) releaseFastPathStorage();
        // The window as the bands leave it over white, and where they reach.
        std::vector<std::uint8_t> window(pixelIndex(0, height, width) * 4, 255);
        std::vector<bool> inBand(pixelIndex(0, height, width), false);
        std::size_t bandsOutside = 0;
        ASSERT_TRUE(renderSoftwareFrame(
            scenes[i], viewerBuffers, width, height, [&](const WindowPicture& band) {
                const PixelBounds& r = band.drawn;
                bandsOutside += r.empty() || r.firstColumn < 0 || r.firstRow < 0 ||
                                r.lastColumn >= width || r.lastRow >= height;
                if (bandsOutside != 0) return;
                const int stride =
                    band.rowLength ? band.rowLength : r.lastColumn - r.firstColumn + 1;
                for (int y = r.firstRow; y <= r.lastRow; ++y) {
                    for (int x = r.firstColumn; x <= r.lastColumn; ++x) {
                        const std::uint8_t* from =
                            band.bgra + pixelIndex(x - r.firstColumn, y - r.firstRow, stride) * 4;
                        std::copy(from, from + 4, window.begin() + pixelIndex(x, y, width) * 4);
                        inBand[pixelIndex(x, y, width)] = true;
                    }
                }
            }));
        EXPECT_EQ(bandsOutside, 0u);
        EXPECT_EQ(differingFloats(plain[i], width, height), 0u);

        std::size_t wrongBytes = 0;
        for (std::size_t p = 0; p < inBand.size(); ++p) {
            const Color& c = plain[i].colors[p];
            const std::uint8_t* b = &window[p * 4];
            if (!inBand[p]) {
                wrongBytes += !(c.r == 1.0f && c.g == 1.0f && c.b == 1.0f);
                continue;
            }
            wrongBytes += b[0] != windowByte(c.b) || b[1] != windowByte(c.g) ||
                          b[2] != windowByte(c.r) || b[3] != 255;
        }
        EXPECT_EQ(wrongBytes, 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(EverySimdTarget, FastPath, ::testing::ValuesIn(availableSimdTargets()),
                         targetName);

// The span storage kept from frame to frame does not stay at the size of a
// much larger frame: after a frame with far fewer spans or rows, each store
// holds no more than that frame alone needs, or a small 1 MB.
TEST(SpanStorage, ShrinksAfterAMuchLargerFrame) {
    struct Case {
        int bigWidth, bigHeight;  // the frame before
        int width, height;
    };
    const Case cases[] = {
        {8000, 8000, 480, 480},  // many spans
        {8000, 8000, 1, 1},      // almost none
        {1, 1000000, 480, 480},  // many rows
    };
    constexpr std::size_t kSmallStore = std::size_t{1} << 20;
    Scene scene;
    buildDefaultScene(scene);
    const auto collect = [&](SpanBins& bins, int width, int height) {
        setupCamera(scene, View{}, width, height);
        bins.collect(scene, width, height);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.bigWidth) + "x" + std::to_string(c.bigHeight) + " then " +
                     std::to_string(c.width) + "x" + std::to_string(c.height));
        SpanBins alone, after;
        collect(alone, c.width, c.height);
        collect(after, c.bigWidth, c.bigHeight);
        const auto bytes = [](const SpanBins& bins) {
            return std::vector<std::size_t>{bins.spans.capacity() * sizeof(BinnedSpan),
                                            bins.rowStart.capacity() * sizeof(std::uint32_t)};
        };
        const std::vector<std::size_t> big = bytes(after);
        EXPECT_GT(std::max(big[0], big[1]), 2 * kSmallStore) << "the large frame was not large";
        collect(after, c.width, c.height);
        const std::vector<std::size_t> needed = bytes(alone), kept = bytes(after);
        for (std::size_t i = 0; i < kept.size(); ++i)
            EXPECT_LE(kept[i], std::max(needed[i], kSmallStore)) << "store " << i;
    }
}
