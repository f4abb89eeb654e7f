#include "raster/like_reference/render_like_reference.h"

#include "raster/like_reference/reference_stages.h"
#include "raster/plain/render_software_plain.h"
#include "raster/render_software.h"

void renderSoftwareLikeReference(Scene& scene, PixelBuffers buffers, int width, int height,
                                 const ReferenceRules& rules, FragmentObserver* observer) {
    if (!rules.any()) {
        renderSoftwarePlain(scene, buffers, width, height, observer);
        return;
    }
    ReferenceStages stages(rules);
    renderSoftwarePlain(scene, buffers, width, height, observer, stages);
}
