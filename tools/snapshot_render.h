#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/snapshot_options.h"

// Puts the options' view into the ViewState globals (the rest as at start-up)
// and selects the renderer through useOpenGL.
void applySnapshotView(const SnapshotOptions& options);

// Builds the default scene and renders it with the software rasteriser into
// colorBuffer and depthBuffer, exactly as a viewer frame of that size and
// view does. Needs no display and no OpenGL.
void renderSoftwareSnapshot(const SnapshotOptions& options);

// Draws the reference picture through OpenGL in a window of its own on the X
// display and reads it back as 8-bit RGB, top row first. False, with a
// one-line reason, when there is no display or the picture cannot be made.
bool renderOpenGLSnapshot(const SnapshotOptions& options, std::vector<std::uint8_t>* rgbTopDown,
                          std::string* error);
