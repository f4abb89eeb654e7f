#pragma once

#include "raster/like_reference/reference_rules.h"
#include "raster/plain/scan_edge.h"
#include "raster/plain/span.h"
#include "scene/scene.h"

// The reference's coverage rules for the plain path (--like-reference
// sampling and subpixel).
//
// Pixel-centre sampling: a pixel (column j, row y) is covered when its centre
// (j + 0.5, y + 0.5) lies inside the face, a centre on a left or bottom side
// counting as inside and one on a right or top side as outside; depth and
// normal are taken at the centres.

// A screen coordinate on the reference's sub-pixel grid of `bits` bits (1 to
// kMaxSubpixelBits): rounded to the nearest 1/2^bits pixel.
float snappedToSubpixelGrid(float value, int bits);

// The edge from `first` to `second` as setupEdge builds it, with the corners
// first snapped to the grid of rules.subpixel bits and then prepared for the
// row walk to sample it at row centres (rules.sampling, see centredOnRows).
ScanEdge edgeLikeReference(const Vertex& first, const Vertex& second, const ReferenceRules& rules);

// The edge for the row walk to sample at row centres: yStart and yEnd become
// the first row whose centre the edge reaches and the row after the last (so
// the walk covers exactly the rows with yStart <= y + 0.5 < yEnd), and x,
// depth and normal move along the edge to the first row's centre. The
// increments and end fields stay.
ScanEdge centredOnRows(const ScanEdge& edge);

// setupSpan with centre sampling: the columns whose centres lie in
// [left.x, right.x), clamped to [0, width], with depth and normal at the
// start column's centre. False when it covers no column.
bool setupCentredSpan(const ScanEdge& left, const ScanEdge& right, int width, Span& span);
