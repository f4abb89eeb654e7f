#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <ostream>
#include <string>

#include "mismatch_pictures.h"
#include "picture_files.h"
#include "raster/buffers/viewer_buffers.h"
#include "scene_rendering.h"

namespace {

struct Golden {
    const char* name;
    View view;
    int width;
    int height;
    std::uint64_t color;
    std::uint64_t depth;
};

std::string hex(std::uint64_t value) {
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIx64, value);
    return text;
}

void PrintTo(const Golden& g, std::ostream* out) {
    *out << g.name << " (" << describe(g.view) << ")";
}

class GoldenPicture : public ::testing::TestWithParam<Golden> {};

// Each digest names a picture of three lit octant patches, red, green and
// blue, every pixel of which a separate, straightforward model of the
// pipeline's arithmetic reproduces bit for bit. A change of one bit of one
// colour or depth value changes the digest.

}  // namespace

TEST_P(GoldenPicture, MatchesItsDigests) {
    const Golden& g = GetParam();
    Scene scene;
    renderDefaultScene(scene, g.view, g.width, g.height);
    const std::uint64_t color = colorDigest(g.width, g.height);
    const std::uint64_t depth = depthDigest(g.width, g.height);
    if (color != g.color || depth != g.depth) {
        ADD_FAILURE() << g.name << " (" << describe(g.view) << ", " << g.width << "x" << g.height
                      << "): colour " << hex(color) << " depth " << hex(depth) << "; "
                      << savePicture(std::string("golden-") + g.name,
                                     pictureOfColors(colorBuffer, g.width, g.height));
    }
}

INSTANTIATE_TEST_SUITE_P(
    DefaultScene, GoldenPicture,
    ::testing::Values(Golden{"default_480x480", View{}, 480, 480, 0x3cbb016583ac91c1ull,
                             0x0983f2aac594eb3cull},
                      Golden{"turned_640x360", View{-100.0f, -75.0f, 1.25f, 20.0f, -15.0f}, 640,
                             360, 0x13ff370f2141a0e6ull, 0x28cd85a2cf9af214ull},
                      Golden{"tilted_back_200x300", View{30.0f, 50.0f, -2.0f, 0.0f, 0.0f}, 200, 300,
                             0x52e86684390b1adbull, 0x9845843f7f97b001ull}),
    [](const ::testing::TestParamInfo<Golden>& info) { return std::string(info.param.name); });
