#include "picture_files.h"

#include <cstring>

#include "raster/buffers/window_bytes.h"
#include "scene/color.h"

RgbImage pictureOfColors(const Color* colors, int width, int height) {
    RgbImage picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        const Color* source = colors + static_cast<std::size_t>(height - 1 - row) * width;
        for (int x = 0; x < width; ++x) {
            std::uint8_t* out = &picture.rgb[(static_cast<std::size_t>(row) * width + x) * 3];
            out[0] = windowByte(source[x].r);
            out[1] = windowByte(source[x].g);
            out[2] = windowByte(source[x].b);
        }
    }
    return picture;
}

std::vector<bool> differingColors(const Color* expected, const Color* actual, int width,
                                  int height) {
    std::vector<bool> differs(static_cast<std::size_t>(width) * height);
    for (int row = 0; row < height; ++row) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = static_cast<std::size_t>(height - 1 - row) * width + x;
            differs[static_cast<std::size_t>(row) * width + x] =
                std::memcmp(&expected[i], &actual[i], sizeof(Color)) != 0;
        }
    }
    return differs;
}
