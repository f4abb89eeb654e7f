#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/common/legend_font.h"
#include "tools/common/renderer_comparison.h"

// The difference map's colours. Where neither renderer covers a pixel it is
// white; where only one does it has that renderer's colour; where both do,
// the largest channel difference in 8-bit steps picks a heat colour.
constexpr RgbCanvas::Rgb kNeitherCovers = {255, 255, 255};
constexpr RgbCanvas::Rgb kSoftwareOnly = {0, 110, 255};
constexpr RgbCanvas::Rgb kReferenceOnly = {0, 170, 0};

// Dark grey for captions and legend text.
constexpr RgbCanvas::Rgb kInk = {40, 40, 40};

// Legend size in font units (one unit is `scale` pixels).
constexpr int kLegendUnitsWide = 70;
constexpr int kLegendUnitsHigh = 40;

// The grey strip between two panels.
constexpr int kPanelGap = 4;
constexpr RgbCanvas::Rgb kGapColour = {190, 190, 190};

// Black at 0 through red and orange to pale yellow at 255.
RgbCanvas::Rgb heatColour(int steps);

// The difference map's colour of pixel i (an index into both pictures).
RgbCanvas::Rgb differenceColour(const RendererPicture& software, const RendererPicture& reference,
                                std::size_t i);

// The map's legend, kLegendUnitsWide x kLegendUnitsHigh units with its
// top-left corner at (left, top): swatches for the two coverage colours and
// the heat scale from 0 to 255 steps on a white box.
void drawLegend(RgbCanvas& canvas, int left, int top, int scale);

// The scale of the captions and the legend below panels of this width: 2, 1,
// or 0 when a panel is too narrow to carry them (no strip is drawn then).
int legendScale(int width);

// Three panels side by side with a gap between them, 3 * width + 2 *
// kPanelGap wide, top row first: the software picture, the reference picture
// and the difference map, each exactly as it is. Below them, when the panels
// are wide enough, a gap and a white strip that names the two pictures under
// them and holds the map's legend under the map: nothing covers a panel.
RgbCanvas composeComparisonPanels(const RendererPicture& software,
                                  const RendererPicture& reference);
