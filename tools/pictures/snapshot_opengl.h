#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "gl/reference_readback.h"
#include "scene/color.h"
#include "tools/command_line/render_options.h"
#include "view/view.h"

// What the reference renderer's window holds after one frame, over the whole
// frame or a rectangle of it. Each part is read only when asked for.
struct OpenGLReadback {
    static constexpr unsigned kRgb = 1, kColor = 2, kDepth = 4, kObjects = 8;  // parts to read
    // The rectangle to read, its lower-left pixel at (x, y) with row 0 at the
    // bottom; the whole frame when width is 0. It must lie inside the frame.
    PixelRect rect;
    std::vector<std::uint8_t> rgbTopDown;  // 8-bit RGB as shown, top row first
    std::vector<Color> color;  // the same colours as OpenGL reads them back as floats, row 0 at the
                               // bottom
    std::vector<float> depth;  // window depth from the depth buffer, row 0 at the bottom
    std::vector<std::int32_t> objects;  // the object drawn at each pixel, -1 for none, row 0 at
                                        // the bottom (see readReferenceObjects)
    GlImplementation implementation;    // the OpenGL that drew it
    bool platformFound = false;         // whether EGL or an X display could be had at all
};

// Draws the reference picture through OpenGL, on the platform
// options.glPlatform names, and reads back the parts (OpenGLReadback::kRgb,
// kColor, kDepth, kObjects) asked for, over readback->rect.
// False, with a one-line reason, when no platform can be had (platformFound
// stays false) or the picture cannot be made.
bool renderOpenGLSnapshot(const RenderOptions& options, unsigned parts, OpenGLReadback* readback,
                          std::string* error);

// The same for every view in turn on one surface (the rest of `options` as
// given): after each frame, take(view index, its readback) runs; it may
// render other pictures, and returning false stops the run (then false with
// *error untouched). False, with a one-line reason, when no platform can be
// had or a picture cannot be made.
bool renderOpenGLViews(const RenderOptions& options, const std::vector<View>& views, unsigned parts,
                       const std::function<bool(std::size_t, OpenGLReadback&)>& take,
                       std::string* error);
