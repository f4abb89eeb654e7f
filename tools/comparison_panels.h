#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "tools/legend_font.h"
#include "tools/renderer_comparison.h"

// The difference map's colours. Where neither renderer covers a pixel it is
// white; where only one does it has that renderer's colour; where both do,
// the largest channel difference in 8-bit steps picks a heat colour.
constexpr RgbCanvas::Rgb kNeitherCovers = {255, 255, 255};
constexpr RgbCanvas::Rgb kSoftwareOnly = {0, 110, 255};
constexpr RgbCanvas::Rgb kReferenceOnly = {0, 170, 0};

// The grey strip between two panels.
constexpr int kPanelGap = 4;
constexpr RgbCanvas::Rgb kGapColour = {190, 190, 190};

// Black at 0 through red and orange to pale yellow at 255.
RgbCanvas::Rgb heatColour(int steps);

// Three panels side by side with a gap between them, 3 * width + 2 *
// kPanelGap by height, top row first: the software picture, the reference
// picture and the difference map. When a panel is at least 140 x 80 the two
// pictures are named and the map carries a legend in their top-left corners.
RgbCanvas composeComparisonPanels(const RendererPicture& software,
                                  const RendererPicture& reference);
