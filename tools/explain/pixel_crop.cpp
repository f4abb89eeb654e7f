#include "tools/explain/pixel_crop.h"

#include "tools/images/comparison_panels.h"

namespace {

constexpr int kPanelSide = kCropSide * kCropZoom;
constexpr RgbCanvas::Rgb kOutline = {255, 0, 255};
constexpr RgbCanvas::Rgb kOutlineInner = {0, 0, 0};

// Paints the panel's pixels, colour(i) for pixel i of the crop.
template <typename Colour>
void drawPanel(RgbCanvas& canvas, int panel, const PixelCrop& crop, Colour colour) {
    const int left = panel * (kPanelSide + kPanelGap);
    for (int row = 0; row < kCropSide; ++row) {
        for (int x = 0; x < kCropSide; ++x) {
            const std::size_t i = static_cast<std::size_t>(row) * kCropSide + x;
            canvas.fill(left + x * kCropZoom, row * kCropZoom, kCropZoom, kCropZoom,
                        crop.inside[i] ? colour(i) : kGapColour);
        }
    }
    // Two rings around the centre pixel, so it shows on light and dark.
    const int centre = kCropSide / 2 * kCropZoom;
    const auto ring = [&](int inset, const RgbCanvas::Rgb& c) {
        const int x0 = left + centre + inset;
        const int y0 = centre + inset;
        const int side = kCropZoom - 2 * inset;
        canvas.fill(x0, y0, side, 1, c);
        canvas.fill(x0, y0 + side - 1, side, 1, c);
        canvas.fill(x0, y0, 1, side, c);
        canvas.fill(x0 + side - 1, y0, 1, side, c);
    };
    ring(0, kOutline);
    ring(1, kOutlineInner);
}

RgbCanvas::Rgb shown(const RendererPicture& picture, std::size_t i) {
    return RgbCanvas::Rgb{picture.rgb[3 * i], picture.rgb[3 * i + 1], picture.rgb[3 * i + 2]};
}

}  // namespace

RgbCanvas composePixelCrop(const PixelCrop& software, const PixelCrop* reference) {
    const int panels = reference ? 3 : 1;
    RgbCanvas canvas;
    canvas.width = panels * kPanelSide + (panels - 1) * kPanelGap;
    canvas.height = kPanelSide + kPanelGap + kCropCaptionHeight;
    canvas.rgb.assign(static_cast<std::size_t>(canvas.width) * canvas.height * 3, 0);
    canvas.fill(0, 0, canvas.width, kPanelSide + kPanelGap, kGapColour);
    // Each panel named in a white strip below it.
    const int stripTop = kPanelSide + kPanelGap;
    canvas.fill(0, stripTop, canvas.width, kCropCaptionHeight, kNeitherCovers);
    const char* const names[3] = {"SOFTWARE", "REFERENCE", "DIFFERENCE"};
    for (int panel = 0; panel < panels; ++panel) {
        drawText(canvas, panel * (kPanelSide + kPanelGap) + 2 * kCropCaptionScale,
                 stripTop + 2 * kCropCaptionScale, names[panel], kCropCaptionScale, kInk);
    }
    drawPanel(canvas, 0, software, [&](std::size_t i) { return shown(software.picture, i); });
    if (reference) {
        drawPanel(canvas, 1, *reference,
                  [&](std::size_t i) { return shown(reference->picture, i); });
        drawPanel(canvas, 2, software, [&](std::size_t i) {
            return differenceColour(software.picture, reference->picture, i);
        });
    }
    return canvas;
}
