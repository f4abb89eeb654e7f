#pragma once

// Shows colorBuffer (width x height, row 0 at the bottom) in the current
// OpenGL window, as the one-point-per-pixel presentation would, and leaves the
// current colour at that of pixel (width - 1, height - 1).
void presentColorBuffer(int width, int height);
