#pragma once

#include "raster/plain/fragment_observer.h"
#include "tools/command_line/render_options.h"

// Builds the default scene and renders it with the software rasteriser into
// colorBuffer and depthBuffer, exactly as a viewer frame of that size and
// view does. Needs no display and no OpenGL. False, before any drawing,
// when there is no memory for the buffers. With an observer the plain path
// draws, telling it about every fragment; the buffers are the same.
bool renderSoftwareSnapshot(const RenderOptions& options, FragmentObserver* observer = nullptr);
