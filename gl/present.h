#pragma once

#include "raster/render_software.h"
#include "scene/color.h"

// Shows a colour buffer (width x height, row 0 at the bottom) in the
// lower-left corner of the current OpenGL window, whatever the matrices and
// the pixel state hold: each pixel's r, g and b, clamped to [0, 1] and
// rounded to the nearest of 256 steps (ties to even), with alpha 1. Leaves the
// pixel state as it was and the current colour as leaveLastPixelColor does.
void presentColorBuffer(const Color* colors, int width, int height);

// The same for the pixels inside `drawn` only; the window keeps what it shows
// elsewhere. Over a window cleared to white, with the colour buffer white
// outside `drawn`, the window ends up as presentColorBuffer leaves it.
void presentColorBufferRect(const Color* colors, int width, int height, const PixelBounds& drawn);

// Shows a software frame's picture: the bytes of its drawn rectangle (which
// lies inside the frame), the window keeping what it shows elsewhere. The
// current colour stays as it was.
void presentWindowPicture(int width, int height, const WindowPicture& picture);

// Sets the current colour to the r, g and b of the frame's last pixel,
// (width - 1, height - 1), the last one a frame shown point by point would
// have drawn: the next OpenGL frame draws its overlay in it. Nothing for an
// empty frame.
void leaveLastPixelColor(const Color* colors, int width, int height);

// Shows a software frame's picture band by band (see PictureBands) as it is
// made, without waiting for OpenGL to draw each band: every band is flushed
// at once, so that OpenGL's own threads draw it while the next is made, and
// before a band is handed over only the band before the previous one is
// waited for, so that OpenGL never holds more than two bands' work (a
// library left to queue many, as Mesa's llvmpipe does, keeps storage the size
// of the window with each). In a window of more than 4 megapixels, and where
// OpenGL has no fences (before 3.2 and without GL_ARB_sync), the band before
// is waited for instead: then OpenGL holds one band's work at most. A wait
// longer than a second is given up: the bands' pixels are read when they are
// handed over, so the picture does not depend on it.
class PictureHandOver {
  public:
    PictureHandOver(int width, int height);
    ~PictureHandOver();
    PictureHandOver(const PictureHandOver&) = delete;
    PictureHandOver& operator=(const PictureHandOver&) = delete;

    // Shows one band as presentWindowPicture does, and flushes it.
    void band(const WindowPicture& band);

  private:
    int width_;
    int height_;
    bool fences_;
    void* drawn_[2] = {nullptr, nullptr};  // the last two bands' fences, the older first
};
