#include "raster/like_reference/render_like_reference.h"

#include "raster/like_reference/reference_stages.h"
#include "raster/plain/render_software_plain.h"
#include "raster/render_software.h"

void renderSoftwareLikeReference(Scene& scene, PixelBuffers buffers, int width, int height,
                                 const ReferenceRules& rules, FragmentObserver* observer,
                                 const StopPoint* stop, FilledRows rows) {
    if (!rules.any()) {
        DrawStages textbook;
        renderSoftwarePlain(scene, buffers, width, height, observer, textbook, stop, rows);
        return;
    }
    ReferenceStages stages(rules);
    renderSoftwarePlain(scene, buffers, width, height, observer, stages, stop, rows);
}
