#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <functional>
#include <limits>
#include <random>

#include "bit_testing.h"
#include "child_process.h"
#include "examine/buffer_pictures.h"
#include "temp_dir.h"
#include "test_images.h"
#include "tools/images/image_files.h"

namespace {

// One channel value through the picture conversion the image files use.
int shownByte(float value) {
    const Color pixel(value, 0.0f, 0.0f, 1.0f);
    return colorBufferToRgbTopDown(&pixel, 1, 1)[0];
}

TEST(DisplayByte, ClampsAndRoundsToTheNearestStep) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    const struct {
        float value;
        int expected;
    } cases[] = {
        {0.0f, 0},
        {-0.0f, 0},
        {-1.0f, 0},
        {nan, 0},
        {-inf, 0},
        {inf, 255},
        {1.0f, 255},
        {1.5f, 255},
        {0.25f, 64},
        {0.998f, 254},
        {0.999f, 255},
        {1.0f / 255.0f, 1},
        // Products exactly halfway in float go to the even step, as the
        // window shows them: 127.5, 2.5, 128.5 and 179.5 (0.703921556f * 255
        // is 179.4999969 exactly, 179.5 in float).
        {0.5f, 128},
        {0.00980392192f, 2},
        {0.503921568f, 128},
        {0.703921556f, 180},
        {0.7f, 178},  // 178.4999969, 178.5 in float
    };
    for (const auto& c : cases) {
        EXPECT_EQ(shownByte(c.value), c.expected) << c.value;
    }
}

TEST(DisplayByte, StaysWithinHalfAStepOfTheExactValueAndNeverDecreases) {
    int previous = 0;
    for (int i = 0; i <= 200000; ++i) {
        const float v = static_cast<float>(i) / 200000.0f;
        const int byte = shownByte(v);
        // Half a step, plus the float product's rounding.
        EXPECT_LE(std::fabs(byte - static_cast<double>(v) * 255.0), 0.5 + 1e-4) << v;
        EXPECT_GE(byte, previous) << v;
        previous = byte;
    }
}

// A small buffer whose every pixel is different, row 0 at the bottom.
std::vector<Color> patternBuffer(int width, int height) {
    std::vector<Color> pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            pixels.emplace_back(x / 10.0f, y / 10.0f, 0.05f * (x + y), 0.3f + x);
        }
    }
    return pixels;
}

TEST(RgbConversion, PutsTheTopRowFirstAndFlipsBack) {
    const int width = 3, height = 4;
    const std::vector<Color> pixels = patternBuffer(width, height);
    std::vector<std::uint8_t> rgb = colorBufferToRgbTopDown(pixels.data(), width, height);
    ASSERT_EQ(rgb.size(), 3u * 4u * 3u);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const Color& p = pixels[(height - 1 - row) * width + x];
            const std::uint8_t* got = &rgb[(row * width + x) * 3];
            EXPECT_EQ(got[0], shownByte(p.r)) << x << "," << row;
            EXPECT_EQ(got[1], shownByte(p.g)) << x << "," << row;
            EXPECT_EQ(got[2], shownByte(p.b)) << x << "," << row;
        }
    }
    const std::vector<std::uint8_t> topDown = rgb;
    flipRgbRows(rgb, width, height);
    for (int row = 0; row < height; ++row) {
        EXPECT_EQ(0, std::memcmp(&rgb[row * width * 3], &topDown[(height - 1 - row) * width * 3],
                                 width * 3))
            << row;
    }
}

class ImageFiles : public ::testing::Test {
  protected:
    std::string path(const std::string& name) { return dir_ + "/" + name; }

    void save(const std::string& name, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path(name), std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }

    TempDir temp_{"rasterwork-image-files-"};
    std::string dir_ = temp_.path();
};

TEST_F(ImageFiles, ColorPfmKeepsEveryFloatBitBottomRowFirstWithoutAlpha) {
    const int width = 3, height = 2;
    std::vector<Color> pixels = patternBuffer(width, height);
    // Values a clamp, a conversion or a text round trip would change.
    pixels[0].r = floatFromBits(0x7fc12345u);  // NaN with a payload
    pixels[1].g = -0.0f;
    pixels[2].b = std::numeric_limits<float>::infinity();
    pixels[3].r = 1e-40f;  // subnormal
    pixels[4].g = 2.5f;
    pixels[5].b = -7.25f;
    std::vector<std::uint8_t> bytes;
    encodeColorPfm(pixels.data(), width, height, &bytes);
    EXPECT_EQ(bytes.size(), pfmSize(3, width, height));
    save("c.pfm", bytes);

    PfmFile pfm;
    std::string error;
    ASSERT_TRUE(readPfm(path("c.pfm"), &pfm, &error)) << error;
    EXPECT_EQ(pfm.header, "PF\n3 2\n-1.0\n");
    ASSERT_EQ(pfm.bits.size(), 18u);
    for (int i = 0; i < width * height; ++i) {
        EXPECT_EQ(pfm.bits[i * 3 + 0], floatBits(pixels[i].r)) << i;
        EXPECT_EQ(pfm.bits[i * 3 + 1], floatBits(pixels[i].g)) << i;
        EXPECT_EQ(pfm.bits[i * 3 + 2], floatBits(pixels[i].b)) << i;
    }
    // Little-endian on disk whatever the host: the first sample's low byte
    // comes right after the header.
    const std::string raw = readFile(path("c.pfm"));
    EXPECT_EQ(static_cast<unsigned char>(raw[pfm.header.size()]), 0x45u);
}

TEST_F(ImageFiles, DepthPfmIsGreyBottomRowFirst) {
    const int width = 2, height = 3;
    const std::vector<float> depths = {1.0f, -0.5f, 0.25f, -0.0f, 0.999999f, 1e30f};
    std::vector<std::uint8_t> bytes;
    encodeDepthPfm(depths.data(), width, height, &bytes);
    EXPECT_EQ(bytes.size(), pfmSize(1, width, height));
    save("d.pfm", bytes);
    PfmFile pfm;
    std::string error;
    ASSERT_TRUE(readPfm(path("d.pfm"), &pfm, &error)) << error;
    EXPECT_EQ(pfm.header, "Pf\n2 3\n-1.0\n");
    ASSERT_EQ(pfm.bits.size(), depths.size());
    for (std::size_t i = 0; i < depths.size(); ++i)
        EXPECT_EQ(pfm.bits[i], floatBits(depths[i])) << i;
}

TEST_F(ImageFiles, PngRoundTripsByteForByte) {
    const int width = 5, height = 3;
    std::vector<std::uint8_t> rgb(width * height * 3);
    for (std::size_t i = 0; i < rgb.size(); ++i) rgb[i] = static_cast<std::uint8_t>(i * 37 + 11);
    std::vector<std::uint8_t> bytes;
    std::string encodeError;
    ASSERT_TRUE(encodePng(rgb.data(), width, height, &bytes, &encodeError)) << encodeError;
    EXPECT_LE(bytes.size(), pngSizeBound(width, height));
    save("p.png", bytes);
    RgbImage read;
    std::string error;
    ASSERT_TRUE(readPng(path("p.png"), &read, &error)) << error;
    EXPECT_EQ(read.width, width);
    EXPECT_EQ(read.height, height);
    EXPECT_EQ(read.rgb, rgb);
}

TEST(PngEncoding, StaysWithinItsBoundAndReportsLibpngErrorsAsOneLine) {
    // Noise does not compress: the worst case for the size bound.
    for (const auto& [width, height] : {std::pair{1, 1}, {64, 64}, {301, 7}}) {
        std::mt19937 noise(7);
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        for (std::uint8_t& byte : rgb) byte = static_cast<std::uint8_t>(noise());
        std::vector<std::uint8_t> bytes;
        std::string error;
        ASSERT_TRUE(encodePng(rgb.data(), width, height, &bytes, &error)) << error;
        EXPECT_LE(bytes.size(), pngSizeBound(width, height)) << width << " x " << height;
    }
    // libpng refuses a zero width; its message comes back instead of
    // being printed.
    testing::internal::CaptureStderr();
    std::vector<std::uint8_t> bytes;
    std::string error;
    const std::uint8_t pixel[3] = {0, 0, 0};
    EXPECT_FALSE(encodePng(pixel, 0, 1, &bytes, &error));
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(error.rfind("libpng: ", 0), 0u) << error;
    EXPECT_NE(error.find("IHDR"), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
}

// The bound counts the memory a large sheet's PNG may need: never less than
// the picture's own bytes and a filter byte a row, which PNG data that does
// not compress takes at least; in 64 bits, past the 4 GiB of libpng's
// simplified interface.
TEST(PngEncoding, TheSizeBoundHoldsForEverySizeOfSheet) {
    const std::pair<int, int> sizes[] = {{1, 1},         {480, 480},     {16384, 16384},
                                         {38408, 38554}, {49184, 49320}, {65535, 65535}};
    for (const auto& [width, height] : sizes) {
        const std::size_t raw = (3 * static_cast<std::size_t>(width) + 1) * height;
        EXPECT_GE(pngSizeBound(width, height), raw + raw / 1000) << width << " x " << height;
        EXPECT_LE(pngSizeBound(width, height), raw + raw / 4 + 4096) << width << " x " << height;
    }
}

// Row by row with libpng's ordinary interface, which has no limit on the
// picture's size in memory, the file is the one the simplified interface
// writes for the pictures that one takes.
TEST(PngEncoding, WritesWhatLibpngsSimplifiedInterfaceWrites) {
    for (const auto& [width, height] : {std::pair{1, 1}, {64, 48}, {301, 7}, {2, 700}}) {
        std::mt19937 noise(static_cast<unsigned>(width * 1000 + height));
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
        for (std::size_t i = 0; i < rgb.size(); ++i) {
            // Half smooth, half noise: every filter gets its turn.
            rgb[i] = i < rgb.size() / 2 ? static_cast<std::uint8_t>(i / 7)
                                        : static_cast<std::uint8_t>(noise());
        }
        png_image image{};
        image.version = PNG_IMAGE_VERSION;
        image.width = static_cast<png_uint_32>(width);
        image.height = static_cast<png_uint_32>(height);
        image.format = PNG_FORMAT_RGB;
        png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
        std::vector<std::uint8_t> expected(size);
        ASSERT_TRUE(
            png_image_write_to_memory(&image, expected.data(), &size, 0, rgb.data(), 0, nullptr))
            << image.message;
        expected.resize(size);
        std::vector<std::uint8_t> bytes = {'x'};  // appended to what is there
        std::string error;
        ASSERT_TRUE(encodePng(rgb.data(), width, height, &bytes, &error)) << error;
        ASSERT_EQ(bytes.size(), expected.size() + 1) << width << " x " << height;
        EXPECT_EQ(bytes[0], 'x');
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), bytes.begin() + 1))
            << width << " x " << height;
    }
}

}  // namespace
