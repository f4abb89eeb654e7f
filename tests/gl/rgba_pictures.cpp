#include "rgba_pictures.h"

#include <cstring>

RgbImage pictureOfRgba(const std::vector<std::uint8_t>& rgba, int width, int height) {
    RgbImage picture;
    picture.width = width;
    picture.height = height;
    picture.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* in = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            std::uint8_t* out =
                &picture.rgb[(static_cast<std::size_t>(height - 1 - y) * width + x) * 3];
            std::memcpy(out, in, 3);
        }
    }
    return picture;
}

std::vector<bool> differingRgba(const std::vector<std::uint8_t>& expected,
                                const std::vector<std::uint8_t>& actual, int width, int height) {
    std::vector<bool> differs(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t i = (static_cast<std::size_t>(y) * width + x) * 4;
            differs[static_cast<std::size_t>(height - 1 - y) * width + x] =
                i + 4 <= expected.size() && i + 4 <= actual.size() &&
                std::memcmp(&expected[i], &actual[i], 4) != 0;
        }
    }
    return differs;
}
