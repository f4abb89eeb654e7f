#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "examine/renderer_comparison.h"
#include "tools/images/legend_font.h"

// A zoomed look at the pixels around one pixel: kCropSide x kCropSide pixels
// centred on it, each drawn as a kCropZoom x kCropZoom square, the centre
// pixel outlined; panels side by side as the comparison picture has them.
constexpr int kCropSide = 15;
constexpr int kCropZoom = 12;
// Below the panels, a gap and a white strip that names each panel.
constexpr int kCropCaptionScale = 2;
constexpr int kCropCaptionHeight = (kGlyphHeight + 4) * kCropCaptionScale;

// One renderer's pixels around the centre, top row first, kCropSide on each
// side; `inside` is false for the positions beyond the frame's edges.
struct PixelCrop {
    RendererPicture picture;
    std::vector<bool> inside;
};

// One pixel of a renderer's frame as a crop shows it.
struct CroppedPixel {
    std::array<std::uint8_t, 3> rgb{};  // as the window shows it
    double windowDepth = 1.0;           // 0 near to 1 far, 1 where nothing was drawn
};

// The crop centred on frame pixel (x, y) (row 0 at the bottom): pixelAt(column,
// row, &pixel) fills in a frame pixel and returns false when it is beyond the
// frame or not known.
template <typename PixelAt>
PixelCrop cropAround(int x, int y, PixelAt pixelAt) {
    const std::size_t count = static_cast<std::size_t>(kCropSide) * kCropSide;
    PixelCrop crop;
    crop.picture.width = kCropSide;
    crop.picture.height = kCropSide;
    crop.picture.rgb.assign(count * 3, 0);
    crop.picture.windowDepth.assign(count, 1.0);
    crop.inside.assign(count, false);
    const int half = kCropSide / 2;
    for (int top = 0; top < kCropSide; ++top) {
        for (int left = 0; left < kCropSide; ++left) {
            const std::size_t i = static_cast<std::size_t>(top) * kCropSide + left;
            CroppedPixel pixel;
            if (!pixelAt(x - half + left, y + half - top, &pixel)) continue;
            crop.inside[i] = true;
            for (int c = 0; c < 3; ++c) crop.picture.rgb[3 * i + c] = pixel.rgb[c];
            crop.picture.windowDepth[i] = pixel.windowDepth;
        }
    }
    return crop;
}

// The software panel alone without a reference; with one, software |
// reference | difference (colours as in the comparison picture's map).
// Positions beyond the frame are grey; the panels are named below
// ("SOFTWARE", "REFERENCE", "DIFFERENCE").
RgbCanvas composePixelCrop(const PixelCrop& software, const PixelCrop* reference);
