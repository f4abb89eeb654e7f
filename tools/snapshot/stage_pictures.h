#pragma once

#include <cstdint>
#include <vector>

#include "examine/colour_scales.h"
#include "examine/stage_recorder.h"
#include "scene/scene.h"
#include "tools/images/legend_font.h"

// Pictures of what the software renderer's stages leave behind: the depth
// buffer, the face that won each pixel, and how many fragments reached each
// pixel's depth test. Each picture is the frame, top row first, with a legend
// in a strip below it.

// Rows of the legend strip below a picture of this width.
int stageLegendHeight(int width);

// depthColour of each pixel, stretched over the covered range; the legend
// gives the range.
RgbCanvas depthPicture(const float* depths, int width, int height);

// faceColour of the face each pixel shows, with a legend of the lightnesses.
RgbCanvas facesPicture(const StageRecorder& stages, const Scene& scene);

// fragmentCountColour of each pixel's count, with a legend of the scale.
RgbCanvas fragmentsPicture(const StageRecorder& stages);
