#pragma once

#include "raster/buffers/frame_buffers.h"
#include "scene/scene.h"

// The OpenGL reference renderer as a frame runs it, with the frame's care
// for memory (free_memory.h), which gives back the software buffers kept
// for later frames (when given) after the window shrinks far below them.
void renderReferenceScene(Scene& scene, int width, int height,
                          FrameBuffers* softwareBuffers = nullptr);

// The software rasteriser as a frame runs it: the scene drawn into `buffers`
// (sized, and cleared of what the frame before drew) and shown in the window
// band by band, leaving the current colour at that of the frame's last
// pixel. Where memory for the picture cannot be had, the window keeps its
// white, one line on standard error says so, and `buffers` and the fast
// path's kept storage are given back.
void renderSoftwareScene(Scene& scene, FrameBuffers& buffers, int width, int height);

// The viewer's one entry point of rendering, following useOpenGL: one of the
// two above, the software one into the viewer's buffers.
void renderScene(Scene& scene, int width, int height);
