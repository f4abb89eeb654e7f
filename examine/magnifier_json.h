#pragma once

#include <string>

#include "examine/magnifier_geometry.h"

// What the magnifier draws as one JSON object, for the page to draw it from
// the same numbers as the tools: "x", "y" (the pixel in the middle),
// "width", "height" (the frame), "left", "bottom" (the crop's first column
// and row), "side" (pixels on each side), "grid_bits"; "pixels", top row
// first and left to right, each {"in_frame", "rgb", "software",
// "reference"} (covered by each side); "faces", each {"object", "face",
// "outline", "reference_outline"} ([x, y] corners); "rows", each {"y",
// "object", "face", "edge_x" (the active edges' x in order), "spans"
// ([first column, end column] pairs)}. The title is left out: the page
// words its own.
std::string magnifierJson(const MagnifierGeometry& geometry);
