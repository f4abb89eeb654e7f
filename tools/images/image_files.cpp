#include "tools/images/image_files.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstring>
#include <new>
#include <string>

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
    // libpng's PNG_IMAGE_PNG_SIZE_MAX for 8-bit RGB, counted in size_t: the
    // filtered rows, zlib's bound on their deflated size, twelve bytes of
    // IDAT chunk for every PNG_ZBUF_SIZE of it, and the other chunks.
    const std::size_t rows =
        (3 * static_cast<std::size_t>(width) + 1) * static_cast<std::size_t>(height);
    const std::size_t deflated = rows + (rows + 7) / 8 + (rows + 63) / 64 + 11;
    const std::size_t otherChunks = 8 /*signature*/ + 25 /*IHDR*/ + 16 /*gAMA*/ + 44 /*cHRM*/ +
                                    12 /*IEND*/ + 12 /*the first IDAT*/;
    return otherChunks + 12 * (deflated / PNG_ZBUF_SIZE) + deflated;
}

namespace {

// Where libpng's messages and written bytes go.
struct PngSink {
    std::vector<std::uint8_t>* out;
    std::string error;
};

[[noreturn]] void pngFailed(png_structp png, png_const_charp message) {
    static_cast<PngSink*>(png_get_error_ptr(png))->error = std::string("libpng: ") + message;
    png_longjmp(png, 1);
}

void pngWarned(png_structp, png_const_charp) {
    // The error that follows says what went wrong; a warning alone is not
    // worth a line.
}

void pngAppend(png_structp png, png_bytep data, png_size_t length) {
    std::vector<std::uint8_t>& out = *static_cast<PngSink*>(png_get_io_ptr(png))->out;
    bool room = out.capacity() - out.size() >= length;
    if (!room) {
        try {
            out.reserve(std::max(out.size() + length, 2 * out.capacity()));
            room = true;
        } catch (const std::bad_alloc&) {
        }
    }
    if (!room) png_error(png, "out of memory");
    out.insert(out.end(), data, data + length);
}

void pngFlushed(png_structp) {}

// The rows through libpng's ordinary interface, with the settings its
// simplified one uses for 8-bit RGB (the sRGB chunk, default filters and
// compression), so the file is the same; false with sink->error.
bool writePngRows(const std::uint8_t* rgbTopDown, int width, int height, PngSink* sink) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, sink, pngFailed, pngWarned);
    if (png == nullptr) {
        sink->error = "libpng: out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    bool written = false;
    if (info != nullptr && setjmp(png_jmpbuf(png)) == 0) {
        png_set_write_fn(png, sink, pngAppend, pngFlushed);
        png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height),
                     8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_BASE,
                     PNG_FILTER_TYPE_BASE);
        png_set_sRGB(png, info, PNG_sRGB_INTENT_PERCEPTUAL);
        png_write_info(png, info);
        const std::size_t stride = static_cast<std::size_t>(width) * 3;
        for (int row = 0; row < height; ++row) {
            png_write_row(png, rgbTopDown + static_cast<std::size_t>(row) * stride);
        }
        png_write_end(png, info);
        written = true;
    } else if (info == nullptr) {
        sink->error = "libpng: out of memory";
    }
    png_destroy_write_struct(&png, &info);
    return written;
}

}  // namespace

bool encodePng(const std::uint8_t* rgbTopDown, int width, int height,
               std::vector<std::uint8_t>* out, std::string* error) {
    const std::size_t start = out->size();
    PngSink sink{out, ""};
    if (!writePngRows(rgbTopDown, width, height, &sink)) {
        out->resize(start);
        *error = sink.error;
        return false;
    }
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
