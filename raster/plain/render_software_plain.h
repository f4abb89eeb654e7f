#pragma once

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/draw_stages.h"
#include "raster/plain/fragment_observer.h"
#include "scene/scene.h"

// renderSoftwarePlain with the steps `stages` chooses for the whole frame in
// place of the textbook ones (see DrawStages), telling the observer (when not
// null) about every fragment as it is drawn.
void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height,
                         FragmentObserver* observer, DrawStages& stages);
