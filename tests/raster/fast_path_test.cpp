#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "picture_files.h"
#include "raster/clip_w.h"
#include "raster/frame_buffers.h"
#include "raster/project_vertex.h"
#include "raster/render_software.h"
#include "raster/shade_rows.h"
#include "raster_testing.h"
#include "scene_rendering.h"

namespace {

struct Frame {
    View view;
    int width;
    int height;
    // An inverse projection without the exact zeros of a perspective, or an
    // inverse view whose last row is not (0, 0, 0, 1).
    enum Skew { kNone, kProjection, kView } skew = kNone;
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
        {View{}, 480, 480},
    };
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
        prepareDefaultFrame(scene, frame.view, frame.width, frame.height);
        if (frame.skew == Frame::kProjection) {
            scene.projectionTransform.inverse.at(0, 1) = 0.01;
            scene.projectionTransform.inverse.at(2, 0) = -0.02;
        }
        if (frame.skew == Frame::kView) scene.viewTransform.inverse.at(3, 0) = 0.001;
        renderSoftwarePlain(scene, frame.width, frame.height);
        const BufferCopy plain = copyBuffers(frame.width, frame.height);
        const bool drew = std::any_of(plain.depths.begin(), plain.depths.end(),
                                      [](float depth) { return depth != 1.0f; });
        framesDrawn += drew;
        framesBehindTheEye += drew && reachesBehindTheEye(scene);

        for (int threads = 1; threads <= 3; ++threads) {
            prepareFrameBuffers(frame.width, frame.height);
            markSlack(frame.width, frame.height);
            renderSoftware(scene, frame.width, frame.height, threads);
            EXPECT_TRUE(slackIntact(frame.width, frame.height));
            const std::size_t differing = differingFloats(plain, frame.width, frame.height);
            if (differing != 0) {
                const std::string path = artifactDirectory() + "/rw_fast_path_" +
                                         simdTargetName(GetParam()) + "_" + std::to_string(index) +
                                         "_diff.png";
                writeDifferencePng(path, plain.colors.data(), colorBuffer, frame.width,
                                   frame.height);
                ADD_FAILURE() << differing << " floats differ with " << threads
                              << " thread(s); difference written to " << path;
            }
        }
        ++index;
    }
    // The run must keep covering what it claims to.
    EXPECT_GE(framesDrawn, 12);
    EXPECT_GE(framesBehindTheEye, 3);
}

INSTANTIATE_TEST_SUITE_P(EverySimdTarget, FastPath, ::testing::ValuesIn(availableSimdTargets()),
                         targetName);
