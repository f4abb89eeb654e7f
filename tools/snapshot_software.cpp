#include "app/camera.h"
#include "app/view_state.h"
#include "raster/frame_buffers.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "tools/snapshot_render.h"

void applySnapshotView(const SnapshotOptions& options) {
    resetViewState();
    angleZ = options.angleZ;
    angleX = options.angleX;
    zoom = options.zoom;
    panX = options.panX;
    panY = options.panY;
    useOpenGL = options.renderer == SnapshotRenderer::OpenGL;
}

void renderSoftwareSnapshot(const SnapshotOptions& options) {
    applySnapshotView(options);
    buildDefaultScene(scene);
    setupCamera(scene, options.width, options.height);
    prepareFrameBuffers(options.width, options.height);
    renderSoftware(scene, options.width, options.height);
}
