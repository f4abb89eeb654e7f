#include "web/page_steps.h"

#include <cstddef>
#include <new>
#include <optional>

#include "examine/colour_scales.h"
#include "examine/face_scan_json.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/face_scan.h"
#include "raster/explain/pixel_story.h"
#include "raster/like_reference/render_like_reference.h"
#include "scene/default_scene.h"
#include "view/camera.h"
#include "web/paint_panel.h"

namespace {

const Scene& defaultScene() {
    static const Scene scene = [] {
        Scene s;
        buildDefaultScene(s);
        return s;
    }();
    return scene;
}

bool prepareScene(const PageView& view, Scene& scene, FrameBuffers& buffers) {
    if (!prepareFrameBuffers(buffers, view.width, view.height)) return false;
    scene = defaultSceneSeenFrom(view.view, view.width, view.height);
    return true;
}

}  // namespace

int sceneObjectCount() {
    return static_cast<int>(defaultScene().objects.size());
}

int sceneFaceCount(int object) {
    const Scene& scene = defaultScene();
    if (object < 0 || static_cast<std::size_t>(object) >= scene.objects.size()) return 0;
    return static_cast<int>(scene.objects[static_cast<std::size_t>(object)].faces.size());
}

bool sceneHasFace(int object, int face) {
    return face >= 0 && face < sceneFaceCount(object);
}

bool PageSteps::stepTo(const PageView& view, const StopPoint& stop) {
    const bool rowInFrame = stop.row == StopPoint::kWholeFace || stop.row < view.height;
    if (!sceneHasFace(stop.object, stop.face) || !rowInFrame) return false;
    try {
        Scene scene;
        if (!prepareScene(view, scene, buffers_)) return false;
        const std::size_t pixels =
            static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
        stages_.emplace(view.width, view.height);
        renderSoftwareLikeReference(scene, buffers_.pixels(), view.width, view.height, view.rules,
                                    &*stages_, &stop);
        color_.resize(pixels * 3);
        for (std::size_t i = 0; i < pixels; ++i) {
            color_[3 * i] = buffers_.color[i].r;
            color_[3 * i + 1] = buffers_.color[i].g;
            color_[3 * i + 2] = buffers_.color[i].b;
        }
        depth_.assign(buffers_.depth, buffers_.depth + pixels);
    } catch (const std::bad_alloc&) {
        stages_.reset();  // its size may no longer be the view's
        return false;
    }
    view_ = view;
    stop_ = stop;
    return true;
}

const std::vector<std::uint8_t>& PageSteps::panel(StagePicture picture) {
    panel_.clear();
    if (!stages_) return panel_;
    const DepthScale scale = depthScale(depth_.data(), depth_.size());
    const Scene& scene = defaultScene();
    const std::vector<std::int32_t>& objects = stages_->winningObjects();
    const std::vector<std::int32_t>& faces = stages_->winningFaces();
    const std::vector<std::uint32_t>& counts = stages_->fragmentCounts();
    paintPanel(panel_, view_.width, view_.height, [&](std::size_t i) -> Rgb {
        switch (picture) {
            case StagePicture::Depth:
                return depthColour(depth_[i], scale);
            case StagePicture::Faces:
                return faceColour(scene, objects[i], faces[i]);
            case StagePicture::Fragments:
                return fragmentCountColour(counts[i]);
            case StagePicture::Colour:
                break;
        }
        return {windowByte(color_[3 * i]), windowByte(color_[3 * i + 1]),
                windowByte(color_[3 * i + 2])};
    });
    return panel_;
}

std::string PageSteps::faceScanJson(const PageView& view, int object, int face) {
    if (!sceneHasFace(object, face)) return "";
    try {
        Scene scene;
        if (!prepareScene(view, scene, buffers_)) return "";
        const std::optional<FaceScan> scan =
            scanFace(scene, buffers_.pixels(), view.width, view.height, view.rules, object, face);
        if (!scan) return "";
        return ::faceScanJson(*scan,
                              objectColourName(scene.objects[static_cast<std::size_t>(object)]),
                              view.width, view.height, view.rules);
    } catch (const std::bad_alloc&) {
        return "";
    }
}

int PageSteps::faceAt(const PageView& view, int x, int y) {
    if (x < 0 || x >= view.width || y < 0 || y >= view.height) return -1;
    try {
        Scene scene;
        if (!prepareScene(view, scene, buffers_)) return -1;
        StageRecorder stages(view.width, view.height);
        renderSoftwareLikeReference(scene, buffers_.pixels(), view.width, view.height, view.rules,
                                    &stages);
        const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(view.width) +
                              static_cast<std::size_t>(x);
        const std::int32_t object = stages.winningObjects()[i];
        return object < 0 ? -1 : object << 16 | stages.winningFaces()[i];
    } catch (const std::bad_alloc&) {
        return -1;
    }
}
