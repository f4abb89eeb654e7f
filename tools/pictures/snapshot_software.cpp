#include "tools/pictures/snapshot_software.h"

#include "raster/like_reference/render_like_reference.h"
#include "raster/render_software.h"
#include "view/camera.h"

bool renderSoftwareSnapshot(const RenderOptions& options, SoftwareFrame& frame,
                            FragmentObserver* observer) {
    const int width = options.width;
    const int height = options.height;
    if (!prepareFrameBuffers(frame.buffers, width, height)) return false;
    Scene& scene = frame.scene;
    scene = defaultSceneSeenFrom(options.view, width, height);
    const PixelBuffers buffers = frame.buffers.pixels();
    if (observer || options.softwarePath == SoftwarePath::Plain || options.likeReference.any() ||
        options.stopAfter) {
        renderSoftwareLikeReference(scene, buffers, width, height, options.likeReference, observer,
                                    options.stopAfter ? &*options.stopAfter : nullptr);
    } else {
        renderSoftware(scene, buffers, width, height, options.threads);
    }
    return true;
}
