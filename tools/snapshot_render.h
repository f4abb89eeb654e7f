#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/color.h"
#include "tools/snapshot_options.h"

// Puts the options' view into the ViewState globals (the rest as at start-up)
// and selects the renderer through useOpenGL.
void applySnapshotView(const SnapshotOptions& options);

// Builds the default scene and renders it with the software rasteriser into
// colorBuffer and depthBuffer, exactly as a viewer frame of that size and
// view does. Needs no display and no OpenGL. False, before any drawing,
// when there is no memory for the buffers.
bool renderSoftwareSnapshot(const SnapshotOptions& options);

// What the reference renderer's window holds after one frame. Each part is
// read only when asked for.
struct OpenGLReadback {
    static constexpr unsigned kRgb = 1, kColor = 2, kDepth = 4;  // parts to read
    std::vector<std::uint8_t> rgbTopDown;  // 8-bit RGB as shown, top row first
    std::vector<Color> color;  // the same colours as OpenGL reads them back as floats, row 0 at the
                               // bottom
    std::vector<float> depth;  // window depth from the depth buffer, row 0 at the bottom
};

// Draws the reference picture through OpenGL in a window of its own on the X
// display and reads back the parts (OpenGLReadback::kRgb, kColor, kDepth) asked for.
// False, with a one-line reason, when there is no display or the picture
// cannot be made.
bool renderOpenGLSnapshot(const SnapshotOptions& options, unsigned parts, OpenGLReadback* readback,
                          std::string* error);
