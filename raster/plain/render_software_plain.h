#pragma once

#include "raster/plain/draw_stages.h"
#include "raster/plain/fragment_observer.h"
#include "scene/scene.h"

// renderSoftwarePlain with the steps `stages` chooses for the whole frame in
// place of the textbook ones (see DrawStages), telling the observer (when not
// null) about every fragment as it is drawn.
void renderSoftwarePlain(Scene& scene, int width, int height, FragmentObserver* observer,
                         DrawStages& stages);
