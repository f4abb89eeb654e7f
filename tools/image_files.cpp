#include "tools/image_files.h"

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

std::uint8_t toDisplayByte(float channel) {
    if (!(channel > 0.0f)) return 0;
    if (channel >= 1.0f) return 255;
    // The product in float, then the nearest integer with ties to even: what
    // Mesa's float-to-8-bit conversion gives, so the PNG equals the window.
    return static_cast<std::uint8_t>(std::nearbyint(channel * 255.0f));
}

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
            target[3 * x + 0] = toDisplayByte(source[x].r);
            target[3 * x + 1] = toDisplayByte(source[x].g);
            target[3 * x + 2] = toDisplayByte(source[x].b);
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

std::string headerOf(const char* magic, int width, int height) {
    return std::string(magic) + "\n" + std::to_string(width) + " " + std::to_string(height) +
           "\n-1.0\n";
}

// libpng reports errors by calling these; the error callback must not
// return, so it longjmps back into encodeRows.
// The message is kept in a fixed array: taking memory here could fail too.
struct PngState {
    std::vector<std::uint8_t>* out;
    char error[160];
    bool outOfMemory;
};

void keepMessage(PngState* state, const char* message) {
    if (state->error[0] != '\0') return;
    std::snprintf(state->error, sizeof state->error, "%s", message ? message : "unknown error");
}

void onPngError(png_structp png, png_const_charp message) {
    keepMessage(static_cast<PngState*>(png_get_error_ptr(png)), message);
    png_longjmp(png, 1);
}

void onPngWarning(png_structp, png_const_charp) {}

void appendPngBytes(png_structp png, png_bytep data, png_size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    try {
        state->out->insert(state->out->end(), data, data + length);
    } catch (const std::bad_alloc&) {
        state->outOfMemory = true;
    }
    if (state->outOfMemory) png_error(png, "Out of memory");
}

void flushNothing(png_structp) {}

// Nothing with a destructor may live in this frame: setjmp.
bool encodeRows(PngState* state, png_bytepp rows, int width, int height) {
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, state, onPngError, onPngWarning);
    if (!png) {
        keepMessage(state, "Out of memory");
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        keepMessage(state, "Out of memory");
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, state, appendPngBytes, flushNothing);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
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
    // Filtered rows (a filter byte each) stored uncompressed in the worst
    // case: 5 bytes per 16 KiB deflate block, 12 per IDAT chunk, and room
    // for the header chunks.
    const std::size_t raw =
        static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width));
    return raw + raw / 1024 + 4096;
}

bool encodePng(const std::uint8_t* rgbTopDown, int width, int height,
               std::vector<std::uint8_t>* out, std::string* error) {
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        rows[static_cast<std::size_t>(y)] = const_cast<png_bytep>(rgbTopDown + y * stride);
    }
    PngState state{out, {}, false};
    if (encodeRows(&state, rows.data(), width, height)) return true;
    *error = std::string("libpng: ") + state.error;
    return false;
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
