#include "image_dump.h"

#include <cstring>

#include "child_process.h"
#include "temp_dir.h"
#include "x_client.h"

namespace {
RgbImage toTopDownRgb(const std::vector<std::uint8_t>& rgba, int width, int height) {
    RgbImage image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<std::size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::uint8_t* in = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            std::uint8_t* out =
                &image.rgb[(static_cast<std::size_t>(height - 1 - y) * width + x) * 3];
            std::memcpy(out, in, 3);
        }
    }
    return image;
}
}  // namespace

std::string dumpRgbaMismatch(const std::string& name, const std::vector<std::uint8_t>& expected,
                             const std::vector<std::uint8_t>& actual, int width, int height) {
    const std::string dir = makeTempDir("rasterwork-" + name);
    writePpm(dir + "/expected.ppm", toTopDownRgb(expected, width, height));
    writePpm(dir + "/actual.ppm", toTopDownRgb(actual, width, height));
    std::vector<std::uint8_t> diff(expected.size(), 0);
    for (std::size_t i = 0; i + 3 < diff.size() && i + 3 < actual.size(); i += 4) {
        if (std::memcmp(&expected[i], &actual[i], 4) != 0) diff[i] = 255;
    }
    writePpm(dir + "/diff.ppm", toTopDownRgb(diff, width, height));
    return dir;
}
