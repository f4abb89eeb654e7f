#include "picture_files.h"

#include <png.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "scene/color.h"

namespace {

std::uint8_t toByte(float v) {
    if (!(v > 0.0f)) return 0;  // also NaN
    if (v >= 1.0f) return 255;
    return static_cast<std::uint8_t>(std::lround(v * 255.0f));
}

bool writeRgbPng(const std::string& path, int width, int height,
                 const std::vector<std::uint8_t>& rgbTopDown) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    bool ok = png != nullptr && info != nullptr;
    if (ok && setjmp(png_jmpbuf(png)) != 0) ok = false;
    if (ok) {
        png_init_io(png, file);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                     PNG_FILTER_TYPE_DEFAULT);
        png_write_info(png, info);
        for (int y = 0; y < height; ++y) {
            png_write_row(png, rgbTopDown.data() + static_cast<std::size_t>(y) * width * 3);
        }
        png_write_end(png, nullptr);
    }
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0 && ok;
}

}  // namespace

bool writeColorBufferPng(const std::string& path, int width, int height) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        const Color* row = colorBuffer + static_cast<std::size_t>(height - 1 - y) * width;
        for (int x = 0; x < width; ++x) {
            std::uint8_t* out = rgb.data() + (static_cast<std::size_t>(y) * width + x) * 3;
            out[0] = toByte(row[x].r);
            out[1] = toByte(row[x].g);
            out[2] = toByte(row[x].b);
        }
    }
    return writeRgbPng(path, width, height, rgb);
}

bool writeDifferencePng(const std::string& path, const Color* expected, const Color* actual,
                        int width, int height) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(height - 1 - y) * width + x;
            if (std::memcmp(&expected[i], &actual[i], sizeof(Color)) != 0) {
                rgb[(static_cast<std::size_t>(y) * width + x) * 3] = 255;
            }
        }
    }
    return writeRgbPng(path, width, height, rgb);
}

std::string artifactDirectory() {
    const char* dir = std::getenv("RW_TEST_ARTIFACTS");
    if (dir != nullptr && *dir != '\0') return dir;
    return std::filesystem::temp_directory_path().string();
}
