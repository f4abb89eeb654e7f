#pragma once

#include "raster/buffers/frame_buffers.h"
#include "scene/scene.h"

// Frames of a scene whose camera is set up, drawn as a viewer frame in each
// mode draws them into the current window's back buffer, without the buffer
// swap: viewport of the frame size, startPixelFrame, then the renderer.

// The reference picture: renderReferenceScene.
void drawReferenceFrame(Scene& scene, int width, int height);

// The software picture: renderSoftwareScene into `buffers`.
void drawSoftwareFrame(Scene& scene, FrameBuffers& buffers, int width, int height);
