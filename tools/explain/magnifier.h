#pragma once

#include "examine/magnifier_geometry.h"
#include "tools/images/legend_font.h"

// The magnifier: the crop around the pinned pixel drawn as geometry with
// Cairo, kMagnifierZoom screen pixels per frame pixel. The pixel grid, each
// pixel filled with its colour and its centre as a dot; every face outline
// that reaches the crop where the vertex stage put it (solid) and on the
// reference's 1/256-pixel grid (dashed); on each row each active edge's x
// as a tick and the span's filled columns as a bar; the pixels one side
// alone covers ringed in the difference map's colours; the pinned pixel
// ringed and labelled; column and row numbers along the sides and a legend
// below, in the tools' bitmap font (legend_font.h), so that no font library
// is needed and the picture is the same on every machine.
constexpr int kMagnifierZoom = 32;
// The picture's size: the title, the crop with its numbers, the legend.
constexpr int kMagnifierMargin = 40;
constexpr int kMagnifierTop = 28;
constexpr int kMagnifierWidth = kMagnifierMargin + kMagnifierSide * kMagnifierZoom + 16;
constexpr int kMagnifierHeight =
    kMagnifierTop + kMagnifierSide * kMagnifierZoom + kMagnifierMargin + 112;

RgbCanvas drawMagnifier(const MagnifierGeometry& geometry);

// `top` above `below`, a grey gap between them, white where the narrower
// one leaves room.
RgbCanvas stackedPictures(const RgbCanvas& top, const RgbCanvas& below);
