#pragma once

#include "raster/buffers/frame_buffers.h"
#include "raster/plain/draw_stages.h"
#include "raster/plain/fragment_observer.h"
#include "raster/plain/scan_convert.h"
#include "raster/plain/stop_point.h"
#include "scene/scene.h"

// renderSoftwarePlain with the steps `stages` chooses for the whole frame in
// place of the textbook ones (see DrawStages), telling the observer (when not
// null) about every fragment as it is drawn. With a stop point (when not
// null) it draws no further than that point; the faces before it come out
// exactly as in the whole frame. Only the rows in `rows` are filled: every
// face is still set up and its edges walked over all its rows, so a row
// filled, and every fragment on it, comes out exactly as in the whole frame
// (a pixel's fragments come from the spans on its row alone), and the other
// rows are left as they were.
void renderSoftwarePlain(Scene& scene, PixelBuffers buffers, int width, int height,
                         FragmentObserver* observer, DrawStages& stages,
                         const StopPoint* stop = nullptr, FilledRows rows = FilledRows());
