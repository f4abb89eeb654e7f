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

// Black at 0 through red and orange to pale yellow at 255.
RgbCanvas::Rgb heatColour(int steps);

// Three panels side by side, 3 * width x height, top row first: the
// software picture, the reference picture and the difference map. The map
// carries a legend in its top-left corner when it is at least 140 x 80.
RgbCanvas composeComparisonPanels(const RendererPicture& software,
                                  const RendererPicture& reference);
