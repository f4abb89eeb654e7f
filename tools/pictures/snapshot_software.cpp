#include "tools/pictures/snapshot_software.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"

bool renderSoftwareSnapshot(const RenderOptions& options, FragmentObserver* observer) {
    applySnapshotView(options);
    if (!prepareFrameBuffers(options.width, options.height)) return false;
    buildDefaultScene(scene);
    setupCamera(scene, options.width, options.height);
    if (observer || options.softwarePath == SoftwarePath::Plain || options.likeReference.any() ||
        options.stopAfter) {
        renderSoftwareLikeReference(scene, options.width, options.height, options.likeReference,
                                    observer, options.stopAfter ? &*options.stopAfter : nullptr);
    } else {
        renderSoftware(scene, options.width, options.height, options.threads);
    }
    return true;
}
