#include "mismatch_pictures.h"

#include <png.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

std::string freshDirectory(const std::string& check) {
    const char* artifacts = std::getenv("RW_TEST_ARTIFACTS");
    const std::string base = artifacts != nullptr && *artifacts != '\0'
                                 ? artifacts
                                 : std::filesystem::temp_directory_path().string();
    std::string pattern = base + "/rasterwork-" + check + "-XXXXXX";
    return mkdtemp(pattern.data()) != nullptr ? pattern : base;
}

bool writePng(const std::string& path, const RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&png, path.c_str(), 0, image.rgb.data(), 0, nullptr) != 0;
}

RgbImage differenceMap(const RgbImage& actual, const RgbImage& expected,
                       const std::vector<bool>* differs) {
    RgbImage map;
    map.width = std::max(actual.width, expected.width);
    map.height = std::max(actual.height, expected.height);
    map.rgb.assign(static_cast<std::size_t>(map.width) * map.height * 3, 0);
    for (int row = 0; row < map.height; ++row) {
        for (int x = 0; x < map.width; ++x) {
            const std::size_t pixel = static_cast<std::size_t>(row) * map.width + x;
            std::uint8_t* out = &map.rgb[pixel * 3];
            const bool inBoth = x < actual.width && row < actual.height && x < expected.width &&
                                row < expected.height;
            int largest = 0;
            for (int c = 0; c < 3; ++c) {
                const int delta =
                    inBoth ? std::abs(actual.at(x, row)[c] - expected.at(x, row)[c]) : 255;
                out[c] = static_cast<std::uint8_t>(std::min(255, delta * 64));
                largest = std::max(largest, delta);
            }
            if (largest == 0 && differs != nullptr && pixel < differs->size() &&
                (*differs)[pixel]) {
                out[0] = 255;
            }
        }
    }
    return map;
}

}  // namespace

std::string savePicture(const std::string& check, const RgbImage& picture) {
    const std::string dir = freshDirectory(check);
    writePng(dir + "/actual.png", picture);
    return "picture written to " + dir + "/actual.png";
}

std::string saveMismatchPictures(const std::string& check, const RgbImage& actual,
                                 const RgbImage& expected, const std::vector<bool>* differs) {
    const std::string dir = freshDirectory(check);
    writePng(dir + "/actual.png", actual);
    writePng(dir + "/expected.png", expected);
    writePng(dir + "/diff.png", differenceMap(actual, expected, differs));
    return "pictures written to " + dir + "/{actual,expected,diff}.png";
}
