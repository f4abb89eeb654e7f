#pragma once

#include "raster/render_software.h"

// Shows colorBuffer (width x height, row 0 at the bottom) in the lower-left
// corner of the current OpenGL window, whatever the matrices and the pixel
// state hold: each pixel's r, g and b, clamped to [0, 1] and rounded to the
// nearest of 256 steps (ties to even), with alpha 1. Leaves the pixel state
// as it was and the current colour at that of pixel (width - 1, height - 1).
void presentColorBuffer(int width, int height);

// The same for the pixels inside `drawn` only; the window keeps what it shows
// elsewhere. Over a window cleared to white, with the colour buffer white
// outside `drawn`, the window ends up as presentColorBuffer leaves it.
void presentColorBufferRect(int width, int height, const PixelRect& drawn);

// Shows a software frame's picture: the bytes of its drawn rectangle (which
// lies inside the frame), the window keeping what it shows elsewhere. Leaves
// the current colour at that of colorBuffer's pixel (width - 1, height - 1),
// as the two functions above do, which convert colorBuffer and call this.
void presentWindowPicture(int width, int height, const WindowPicture& picture);
