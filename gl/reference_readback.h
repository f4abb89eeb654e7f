#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/color.h"

// A rectangle of window pixels, its lower-left pixel at (x, y), row 0 at the
// bottom.
struct PixelRect {
    int x = 0, y = 0, width = 0, height = 0;
};

// Waits until the current OpenGL context has drawn everything asked of it and
// reads its back buffer over `rect`, before any swap, so that the pixels
// belong to this context alone wherever its window sits on the screen. Each
// part given (nullptr: not read) is refilled with rect.width x rect.height
// values, rows bottom to top: rgb the 8-bit RGB the window shows (three
// bytes a pixel), color the same colours as OpenGL reads them back as
// floats, depth the window depth from the depth buffer (0 near to 1 far).
void readBackFrame(const PixelRect& rect, std::vector<std::uint8_t>* rgb, std::vector<Color>* color,
                   std::vector<float>* depth);

// The first error OpenGL recorded since it was last asked, 0 when none.
unsigned takeOpenGLError();

// What such an error means, for a message: "OpenGL error 0x500", or in
// words where the cause matters to the user (memory ran out).
std::string openGLErrorText(unsigned error);
