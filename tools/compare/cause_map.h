#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "examine/ladder_causes.h"
#include "tools/images/legend_font.h"

// The cause map as a picture: each pixel of the frame (top row first) in its
// cause's colour (causeColour), a lone unexplained pixel ringed as on the
// difference maps (ringLonePixels), and below it, on a white strip, a legend
// with each cause's swatch, name and count and the ring's. The picture is
// widened with white where the frame is narrower than the legend.
RgbCanvas composeCauseMap(const std::vector<std::int8_t>& causes, int width, int height,
                          const std::array<long, kCauseCount>& counts);

// The counts per cause for people: a heading and one line per cause.
std::string causesText(const std::array<long, kCauseCount>& counts);

// The JSON member "causes": an object from each cause's name ("specified",
// the rules' names, "unexplained") to its count, in the ladder's order.
std::string causesJsonMember(const std::array<long, kCauseCount>& counts);
