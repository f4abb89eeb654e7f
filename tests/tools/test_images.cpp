#include "test_images.h"

#include <png.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>

bool readPng(const std::string& path, RgbImage* image, std::string* error) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&png, path.c_str())) {
        *error = path + ": " + png.message;
        return false;
    }
    if (png.format != PNG_FORMAT_RGB) {
        *error = path + ": not an 8-bit RGB PNG (format flags " + std::to_string(png.format) + ")";
        png_image_free(&png);
        return false;
    }
    image->width = static_cast<int>(png.width);
    image->height = static_cast<int>(png.height);
    image->rgb.assign(PNG_IMAGE_SIZE(png), 0);
    if (!png_image_finish_read(&png, nullptr, image->rgb.data(), 0, nullptr)) {
        *error = path + ": " + png.message;
        return false;
    }
    return true;
}

bool readPfm(const std::string& path, PfmFile* pfm, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = "cannot open " + path;
        return false;
    }
    std::string magic, size, scale;
    std::getline(in, magic);
    std::getline(in, size);
    std::getline(in, scale);
    if (!in || (magic != "PF" && magic != "Pf")) {
        *error = path + ": bad PFM header";
        return false;
    }
    pfm->header = magic + "\n" + size + "\n" + scale + "\n";
    pfm->channels = magic == "PF" ? 3 : 1;
    std::istringstream dims(size);
    if (!(dims >> pfm->width >> pfm->height) || pfm->width <= 0 || pfm->height <= 0) {
        *error = path + ": bad PFM size line '" + size + "'";
        return false;
    }
    pfm->scale = std::strtod(scale.c_str(), nullptr);
    const std::vector<unsigned char> data((std::istreambuf_iterator<char>(in)),
                                          std::istreambuf_iterator<char>());
    const std::size_t samples = static_cast<std::size_t>(pfm->width) * pfm->height * pfm->channels;
    if (data.size() != samples * 4) {
        *error = path + ": expected " + std::to_string(samples * 4) + " data bytes, found " +
                 std::to_string(data.size());
        return false;
    }
    const bool little = pfm->scale < 0.0;
    pfm->bits.resize(samples);
    for (std::size_t i = 0; i < samples; ++i) {
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b) {
            const std::uint32_t byte = data[i * 4 + (little ? b : 3 - b)];
            bits |= byte << (8 * b);
        }
        pfm->bits[i] = bits;
    }
    return true;
}

PictureDifference comparePictures(const RgbImage& actual, const RgbImage& expected, int tolerance,
                                  const IgnoredRect* ignored) {
    PictureDifference difference;
    if (actual.width != expected.width || actual.height != expected.height) {
        difference.maxChannelDelta = 256;
        difference.differingPixels = -1;
        return difference;
    }
    for (int row = 0; row < actual.height; ++row) {
        for (int x = 0; x < actual.width; ++x) {
            if (ignored && ignored->contains(x, row)) continue;
            int worst = 0;
            for (int c = 0; c < 3; ++c) {
                worst = std::max(worst, std::abs(actual.at(x, row)[c] - expected.at(x, row)[c]));
            }
            difference.maxChannelDelta = std::max(difference.maxChannelDelta, worst);
            if (worst > tolerance) {
                if (difference.differingPixels == 0) {
                    difference.firstX = x;
                    difference.firstRow = row;
                }
                ++difference.differingPixels;
            }
        }
    }
    return difference;
}

long countNonWhite(const RgbImage& image) {
    long count = 0;
    for (std::size_t i = 0; i + 2 < image.rgb.size(); i += 3) {
        if (image.rgb[i] != 255 || image.rgb[i + 1] != 255 || image.rgb[i + 2] != 255) ++count;
    }
    return count;
}
