#include "tools/image_files.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstring>

std::uint8_t toDisplayByte(float channel) {
    if (!(channel > 0.0f)) return 0;
    if (channel >= 1.0f) return 255;
    // The product in float, then the nearest integer with ties to even: what
    // Mesa's float-to-8-bit conversion gives, so the PNG equals the window.
    return static_cast<std::uint8_t>(std::nearbyint(channel * 255.0f));
}

std::vector<std::uint8_t> colorBufferToRgbTopDown(const Color* pixels, int width, int height) {
    const std::size_t w = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> rgb(w * static_cast<std::size_t>(height) * 3);
    for (int row = 0; row < height; ++row) {
        const Color* source = pixels + static_cast<std::size_t>(height - 1 - row) * w;
        std::uint8_t* target = rgb.data() + static_cast<std::size_t>(row) * w * 3;
        for (std::size_t x = 0; x < w; ++x) {
            target[3 * x + 0] = toDisplayByte(source[x].r);
            target[3 * x + 1] = toDisplayByte(source[x].g);
            target[3 * x + 2] = toDisplayByte(source[x].b);
        }
    }
    return rgb;
}

void flipRgbRows(std::vector<std::uint8_t>& rgb, int width, int height) {
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::swap_ranges(rgb.begin() + top * stride, rgb.begin() + (top + 1) * stride,
                         rgb.begin() + bottom * stride);
    }
}

namespace {

// libpng reports errors by longjmp; nothing with a destructor may live in
// the frame that calls setjmp.
bool writePngRows(std::FILE* out, png_bytepp rows, int width, int height) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    if (!png) return false;
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_init_io(png, out);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

void putLittleEndian(float value, unsigned char* bytes) {
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<unsigned char>(bits >> (8 * i));
}

// Writes the header and then, row by row from row 0, `channels` floats per
// pixel taken by `channel(pixelIndex, c)`.
template <typename Channel>
bool writePfm(std::FILE* out, const char* magic, int channels, int width, int height,
              Channel channel) {
    if (std::fprintf(out, "%s\n%d %d\n-1.0\n", magic, width, height) < 0) return false;
    const std::size_t w = static_cast<std::size_t>(width);
    std::vector<unsigned char> row(w * static_cast<std::size_t>(channels) * 4);
    for (int y = 0; y < height; ++y) {
        const std::size_t base = static_cast<std::size_t>(y) * w;
        unsigned char* cursor = row.data();
        for (std::size_t x = 0; x < w; ++x) {
            for (int c = 0; c < channels; ++c, cursor += 4) {
                putLittleEndian(channel(base + x, c), cursor);
            }
        }
        if (std::fwrite(row.data(), 1, row.size(), out) != row.size()) return false;
    }
    return !std::ferror(out);
}

}  // namespace

bool writePng(std::FILE* out, const std::uint8_t* rgbTopDown, int width, int height) {
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(rgbTopDown + y * stride);
    }
    return writePngRows(out, rows.data(), width, height) && !std::ferror(out);
}

bool writeColorPfm(std::FILE* out, const Color* pixels, int width, int height) {
    return writePfm(out, "PF", 3, width, height, [pixels](std::size_t i, int c) {
        const Color& p = pixels[i];
        return c == 0 ? p.r : (c == 1 ? p.g : p.b);
    });
}

bool writeDepthPfm(std::FILE* out, const float* depths, int width, int height) {
    return writePfm(out, "Pf", 1, width, height,
                    [depths](std::size_t i, int) { return depths[i]; });
}
