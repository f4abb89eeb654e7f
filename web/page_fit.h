#pragma once

#include <cstdint>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "view/view.h"

// What the software picture of a view under some rules leaves against a
// reference's bytes: the pixels covered by one side only or off by more
// than the tolerance, and the 8-bit steps of every channel where both
// cover (to tell apart rules that leave the same pixels).
struct PageFitScore {
    long differing = 0;
    long long steps = 0;
};

// Draws the view at width x height under `rules` and scores it against
// `rgba` (r, g, b, a per pixel, rows from the bottom, a = 0 where nothing
// was drawn). False when the size does not match or memory is short.
bool scoreRulesAgainst(const View& view, int width, int height, const ReferenceRules& rules,
                       const std::vector<std::uint8_t>& rgba, PageFitScore* score);
