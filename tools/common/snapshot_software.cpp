#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/common/snapshot_render.h"
#include "view/camera.h"
#include "view/view.h"
#include "view/view_state.h"

void applySnapshotView(const SnapshotOptions& options) {
    applyView(options.view);
    useOpenGL = options.renderer == SnapshotRenderer::OpenGL;
}

bool renderSoftwareSnapshot(const SnapshotOptions& options, FragmentObserver* observer) {
    applySnapshotView(options);
    if (!prepareFrameBuffers(options.width, options.height)) return false;
    buildDefaultScene(scene);
    setupCamera(scene, options.width, options.height);
    if (observer || options.softwarePath == SoftwarePath::Plain || options.likeReference.any()) {
        renderSoftwareLikeReference(scene, options.width, options.height, options.likeReference,
                                    observer);
    } else {
        renderSoftware(scene, options.width, options.height, options.threads);
    }
    return true;
}
