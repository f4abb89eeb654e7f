#include "tools/common/image_files.h"

#include <png.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "raster/buffers/window_bytes.h"

std::vector<std::uint8_t> colorBufferToRgbTopDown(const Color* pixels, int width, int height) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) *
                                  static_cast<std::size_t>(height) * 3);
    colorBufferToRgbTopDown(pixels, width, height, rgb.data());
    return rgb;
}

void colorBufferToRgbTopDown(const Color* pixels, int width, int height, std::uint8_t* rgbTopDown) {
    const std::size_t w = static_cast<std::size_t>(width);
    for (int row = 0; row < height; ++row) {
        const Color* source = pixels + static_cast<std::size_t>(height - 1 - row) * w;
        std::uint8_t* target = rgbTopDown + static_cast<std::size_t>(row) * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            target[3 * x + 0] = windowByte(source[x].r);
            target[3 * x + 1] = windowByte(source[x].g);
            target[3 * x + 2] = windowByte(source[x].b);
        }
    }
}

void flipRgbRows(std::vector<std::uint8_t>& rgb, int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(rgb.begin() + top * stride, rgb.begin() + (top + 1) * stride,
                         rgb.begin() + bottom * stride);
    }
}

namespace {

// The description of a width x height 8-bit RGB picture for libpng's
// simplified interface.
png_image rgbImage(int width, int height) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = static_cast<png_uint_32>(width);
    image.height = static_cast<png_uint_32>(height);
    image.format = PNG_FORMAT_RGB;
    return image;
}

std::string headerOf(const char* magic, int width, int height) {
    return std::string(magic) + "\n" + std::to_string(width) + " " + std::to_string(height) +
           "\n-1.0\n";
}

void putLittleEndian(float value, std::uint8_t* bytes) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

// The header and then, row by row from row 0, `channels` floats per pixel
// taken by `channel(pixelIndex, c)`.
template <typename Channel>
void encodePfm(const char* magic, int channels, int width, int height, Channel channel,
               std::vector<std::uint8_t>* out) {
    const std::string header = headerOf(magic, width, height);
    out->insert(out->end(), header.begin(), header.end());
    const std::size_t samples = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) *
                                static_cast<std::size_t>(channels);
    std::size_t at = out->size();
    out->resize(at + samples * 4);
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    for (std::size_t i = 0; i < pixels; ++i) {
        for (int c = 0; c < channels; ++c, at += 4) putLittleEndian(channel(i, c), &(*out)[at]);
    }
}

}  // namespace

std::size_t pfmSize(int channels, int width, int height) {
    return headerOf("PF", width, height).size() + static_cast<std::size_t>(width) *
                                                      static_cast<std::size_t>(height) *
                                                      static_cast<std::size_t>(channels) * 4;
}

std::size_t pngSizeBound(int width, int height) {
    const png_image image = rgbImage(width, height);
    return PNG_IMAGE_PNG_SIZE_MAX(image);
}

bool encodePng(const std::uint8_t* rgbTopDown, int width, int height,
               std::vector<std::uint8_t>* out, std::string* error) {
    png_image image = rgbImage(width, height);
    const std::size_t start = out->size();
    png_alloc_size_t size = PNG_IMAGE_PNG_SIZE_MAX(image);
    out->resize(start + size);
    if (!png_image_write_to_memory(&image, out->data() + start, &size, 0, rgbTopDown, 0, nullptr)) {
        out->resize(start);
        *error = std::string("libpng: ") + image.message;
        png_image_free(&image);
        return false;
    }
    out->resize(start + size);
    return true;
}

void encodeColorPfm(const Color* pixels, int width, int height, std::vector<std::uint8_t>* out) {
    encodePfm(
        "PF", 3, width, height,
        [pixels](std::size_t i, int c) {
            const Color& p = pixels[i];
            return c == 0 ? p.r : (c == 1 ? p.g : p.b);
        },
        out);
}

void encodeDepthPfm(const float* depths, int width, int height, std::vector<std::uint8_t>* out) {
    encodePfm(
        "Pf", 1, width, height, [depths](std::size_t i, int) { return depths[i]; }, out);
}
