#pragma once

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/draw_stages.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/stop_point.h"
#include "scene/scene.h"

// renderSoftwarePlain with the steps `stages` chooses for the whole frame in
// place of the textbook ones (see DrawStages), telling the observer (when not
// null) about every fragment as it is drawn. With a stop point (when not
// null) it draws no further than that point; the faces before it come out
// exactly as in the whole frame.
void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height,
                         FragmentObserver* observer, DrawStages& stages,
                         const StopPoint* stop = nullptr);
