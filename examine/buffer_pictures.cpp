#include "examine/buffer_pictures.h"

#include <cstddef>

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

void windowDepthTopDown(const float* depths, int width, int height, DepthKind kind,
                        std::vector<double>* result) {
    const std::size_t w = static_cast<std::size_t>(width);
    result->resize(w * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        const float* source = depths + static_cast<std::size_t>(height - 1 - row) * w;
        double* target = result->data() + static_cast<std::size_t>(row) * w;
        for (std::size_t x = 0; x < w; ++x) {
            target[x] = kind == DepthKind::DeviceZ ? windowDepthOf(source[x])
                                                   : static_cast<double>(source[x]);
        }
    }
}

void softwarePicture(const Color* colors, const float* depths, int width, int height,
                     RendererPicture* picture) {
    picture->width = width;
    picture->height = height;
    picture->rgb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    colorBufferToRgbTopDown(colors, width, height, picture->rgb.data());
    windowDepthTopDown(depths, width, height, DepthKind::DeviceZ, &picture->windowDepth);
}

bool rgbaPicture(const std::vector<std::uint8_t>& rgba, int width, int height,
                 RendererPicture* picture) {
    if (width < 0 || height < 0) return false;
    const std::size_t w = static_cast<std::size_t>(width);
    const std::size_t pixels = w * static_cast<std::size_t>(height);
    if (rgba.size() != pixels * 4) return false;
    picture->width = width;
    picture->height = height;
    picture->rgb.resize(pixels * 3);
    picture->windowDepth.resize(pixels);
    // Plain pointers: through the picture, each byte stored would make the
    // compiler load its vectors' data again for the next pixel.
    std::uint8_t* rgb = picture->rgb.data();
    double* windowDepth = picture->windowDepth.data();
    for (int row = 0; row < height; ++row) {
        const std::uint8_t* source =
            rgba.data() + static_cast<std::size_t>(height - 1 - row) * w * 4;
        for (std::size_t x = 0; x < w; ++x, source += 4, rgb += 3) {
            rgb[0] = source[0];
            rgb[1] = source[1];
            rgb[2] = source[2];
            *windowDepth++ = source[3] != 0 ? 0.0 : 1.0;
        }
    }
    return true;
}
