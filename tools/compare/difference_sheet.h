#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/images/legend_font.h"

// One difference map of a sheet and the caption above it.
struct SheetPanel {
    std::string caption;
    std::vector<std::uint8_t> map;  // width x height, as differenceMap makes it
                                    // (tools/images/comparison_panels.h)
};

// The maps on a grid of at most `columns` per row, each with its caption in
// a white strip above it, and the legend in a white strip below the grid;
// gaps in the comparison panels' grey. Each map sits at the left of a cell
// of panelColumnWidth, so that narrow maps keep their captions and the
// legend. The legend's
// scale says the maps' step differences were multiplied by `amplify`.
RgbCanvas composeDifferenceSheet(const std::vector<SheetPanel>& panels, int width, int height,
                                 int columns, int amplify = 1);
