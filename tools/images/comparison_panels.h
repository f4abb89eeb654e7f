#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "examine/colour_scales.h"
#include "examine/renderer_comparison.h"
#include "tools/images/legend_font.h"

// The difference map's colours are kNeitherCovers, kSoftwareOnly,
// kReferenceOnly and the heat scale (examine/colour_scales.h).

// The ring drawn around a lone differing pixel, kRingRadius pixels from it
// (a square outline), where no other pixel within kRingRadius - 1 differs.
constexpr RgbCanvas::Rgb kRing = {255, 0, 255};
constexpr int kRingRadius = 3;

// How a difference map is drawn: the tolerance beyond which a pixel both
// renderers cover differs (for the rings), and the factor its step
// difference is multiplied by before it picks a heat colour.
struct MapStyle {
    int tolerance = 1;
    int amplify = 1;
};

// Dark grey for captions and legend text.
constexpr RgbCanvas::Rgb kInk = {40, 40, 40};

// Legend size in font units (one unit is `scale` pixels).
constexpr int kLegendUnitsWide = 70;
constexpr int kLegendUnitsHigh = 47;

// The grey strip between two panels.
constexpr int kPanelGap = 4;
constexpr RgbCanvas::Rgb kGapColour = {190, 190, 190};

// Rings each lone marked pixel of a picture (8-bit RGB, top row first): one
// with no other marked pixel within kRingRadius - 1, with a square of
// kRing kRingRadius pixels out, drawn over the pixels that are not marked.
void ringLonePixels(std::vector<std::uint8_t>& rgb, int width, int height,
                    const std::vector<bool>& marked);

// The difference map of two pictures of the same size, 8-bit RGB, top row
// first: differenceColour of every pixel, then a ring around each lone
// differing pixel (covered by one renderer only, or off by more than the
// style's tolerance): ringLonePixels.
std::vector<std::uint8_t> differenceMap(const RendererPicture& software,
                                        const RendererPicture& reference,
                                        const MapStyle& style = MapStyle());

// The map's legend, kLegendUnitsWide x kLegendUnitsHigh units with its
// top-left corner at (left, top): swatches for the two coverage colours and
// the ring, and the heat scale on a white box, labelled in steps (with
// `amplify` above 1, the steps times that factor fill it).
void drawLegend(RgbCanvas& canvas, int left, int top, int scale, int amplify = 1);

// The scale of the captions and the legend below panels of this width: 2
// for wide panels, else 1.
int legendScale(int width);

// The width of the column a panel of this width takes: its own, or, for a
// panel narrower than the legend, the legend's, the panel at its left in the
// gaps' grey. A narrow picture is widened rather than lose its names.
int panelColumnWidth(int width);

// Three panels side by side with a gap between them, each in a column of
// panelColumnWidth (3 * width + 2 * kPanelGap wide for panels as wide as the
// legend), top row first: the software picture, the reference picture and
// the difference map in that style, each exactly as it is. Below them a gap
// and a white strip that names the two pictures under them and holds the
// map's legend under the map: nothing covers a panel.
RgbCanvas composeComparisonPanels(const RendererPicture& software, const RendererPicture& reference,
                                  const MapStyle& style = MapStyle());
