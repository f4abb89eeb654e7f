#pragma once

#include <string>

// Text in GLUT's 18-point Helvetica bitmap font (GLUT_BITMAP_HELVETICA_18),
// drawn at the current raster position, which each character advances.

// Through glutBitmapCharacter while GLUT runs; otherwise, in a context GLUT
// did not make (an EGL one), through drawGlutGlyphs.
void drawHelvetica18(const char* text);

// The same OpenGL calls glutBitmapCharacter makes for each character, with
// the same glyphs, taken from the GLUT library without starting it (which
// would need an X display): the unpack state saved, set to GLUT's and
// restored around one glBitmap per character. A char outside 1..255 as an
// int is skipped, as GLUT skips it. Draws nothing unless glutGlyphsReachable.
void drawGlutGlyphs(const char* text);

// Whether the GLUT library's glyphs are there to draw without GLUT
// running; when not, *why says why.
bool glutGlyphsReachable(std::string* why);
