#pragma once

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/fragment_observer.h"
#include "scene/scene.h"
#include "tools/command_line/render_options.h"

// A tool's software frame: the scene it was drawn from and the buffers it
// was drawn into.
struct SoftwareFrame {
    Scene scene;
    FrameBuffers buffers;
};

// Builds the default scene with the camera of the options' view into
// frame.scene and renders it with the software rasteriser into
// frame.buffers, exactly as a viewer frame of that size and view does. Needs
// no display and no OpenGL. False, before any drawing, when there is no
// memory for the buffers. With an observer the plain path draws, telling it
// about every fragment; the buffers are the same.
bool renderSoftwareSnapshot(const RenderOptions& options, SoftwareFrame& frame,
                            FragmentObserver* observer = nullptr);
