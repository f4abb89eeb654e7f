#include "web/page_frame.h"

#include <algorithm>
#include <cstdlib>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/fragment_observer.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/page_colours.h"
#include "web/page_json.h"

using web::Rgb;

namespace {

std::size_t pixelCount(const PageView& view) {
    return static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
}

// Counts the fragments at every pixel and keeps the object and face of the
// last one that passed, the one whose colour the pixel shows.
class StageCounter : public FragmentObserver {
  public:
    StageCounter(int width, std::vector<std::uint32_t>& counts, std::vector<std::int32_t>& objects,
                 std::vector<std::int32_t>& faces)
        : width_(width), counts_(counts), objects_(objects), faces_(faces) {}

    ShadingTerms* fragment(const Fragment& fragment) override {
        const std::size_t i = static_cast<std::size_t>(fragment.row) * width_ + fragment.column;
        ++counts_[i];
        if (fragment.passed) {
            objects_[i] = fragment.object;
            faces_[i] = fragment.face;
        }
        return nullptr;
    }

  private:
    int width_;
    std::vector<std::uint32_t>& counts_;
    std::vector<std::int32_t>& objects_;
    std::vector<std::int32_t>& faces_;
};

std::array<std::uint8_t, 3> windowBytesOf(const float* rgb) {
    return {windowByte(rgb[0]), windowByte(rgb[1]), windowByte(rgb[2])};
}

// Fills `rgba` (top row first) with paint(i) of each pixel i (row 0 at the
// bottom).
template <typename Paint>
void paintPanel(std::vector<std::uint8_t>& rgba, const PageView& view, Paint paint) {
    rgba.resize(pixelCount(view) * 4);
    for (int y = 0; y < view.height; ++y) {
        std::uint8_t* out = &rgba[static_cast<std::size_t>(view.height - 1 - y) * view.width * 4];
        const std::size_t rowStart = static_cast<std::size_t>(y) * view.width;
        for (int x = 0; x < view.width; ++x, out += 4) {
            const std::array<std::uint8_t, 3> rgb = paint(rowStart + x);
            out[0] = rgb[0];
            out[1] = rgb[1];
            out[2] = rgb[2];
            out[3] = 255;
        }
    }
}

bool covered(const std::vector<float>& depth, std::size_t i) {
    return depth[i] < 1.0f;
}

int largestStep(const std::array<std::uint8_t, 3>& a, const std::array<std::uint8_t, 3>& b) {
    int largest = 0;
    for (int c = 0; c < 3; ++c) largest = std::max(largest, std::abs(a[c] - b[c]));
    return largest;
}

// Whether the software picture is within the tolerance of the model at
// pixel i: both cover it with no channel off by more, or neither does.
bool withinTolerance(bool softwareCovers, const std::array<std::uint8_t, 3>& software,
                     bool modelCovers, const std::array<std::uint8_t, 3>& model) {
    if (softwareCovers != modelCovers) return false;
    return !softwareCovers || largestStep(software, model) <= kDifferenceTolerance;
}

}  // namespace

bool PageFrame::drawPicture(const ReferenceRules& rules, bool recordStages) {
    applyView(view_.view);
    if (!prepareFrameBuffers(view_.width, view_.height)) return false;
    buildDefaultScene(scene);
    setupCamera(scene, view_.width, view_.height);
    if (recordStages) {
        const std::size_t pixels = pixelCount(view_);
        fragmentCounts_.assign(pixels, 0);
        winningObjects_.assign(pixels, -1);
        winningFaces_.assign(pixels, -1);
        StageCounter counter(view_.width, fragmentCounts_, winningObjects_, winningFaces_);
        renderSoftwareLikeReference(scene, view_.width, view_.height, rules, &counter);
    } else {
        renderSoftwareLikeReference(scene, view_.width, view_.height, rules);
    }
    return true;
}

void PageFrame::takePicture(Picture& picture) {
    const std::size_t pixels = pixelCount(view_);
    picture.color.resize(pixels * 3);
    picture.depth.assign(depthBuffer, depthBuffer + pixels);
    picture.bytes.resize(pixels);
    picture.panel.resize(pixels * 4);
    rowBgra_.resize(static_cast<std::size_t>(view_.width) * 4);
    // Plain pointers: the byte stores below may alias anything, and would
    // otherwise make the compiler reload every vector's data on each pixel.
    const Color* colors = colorBuffer;
    float* rgb = picture.color.data();
    Rgb* bytes = picture.bytes.data();
    const std::uint8_t* bgra = rowBgra_.data();
    for (int y = 0; y < view_.height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y) * view_.width;
        // A row's window bytes at once, each channel as windowByte makes it.
        rw::convertToBgra(colors + rowStart, view_.width, rowBgra_.data());
        std::uint8_t* out =
            &picture.panel[static_cast<std::size_t>(view_.height - 1 - y) * view_.width * 4];
        for (int x = 0; x < view_.width; ++x, out += 4) {
            const std::size_t i = rowStart + x;
            const Color c = colors[i];
            rgb[3 * i] = c.r;
            rgb[3 * i + 1] = c.g;
            rgb[3 * i + 2] = c.b;
            const Rgb pixel = {bgra[4 * x + 2], bgra[4 * x + 1], bgra[4 * x]};
            bytes[i] = pixel;
            out[0] = pixel[0];
            out[1] = pixel[1];
            out[2] = pixel[2];
            out[3] = 255;
        }
    }
}

bool PageFrame::draw(const PageView& view) {
    causesCurrent_ = false;
    view_ = view;
    const bool sized = view.width >= 1 && view.height >= 1 && view.width <= kLargestPageSide &&
                       view.height <= kLargestPageSide;
    if (!sized || !drawPicture(view.rules, true)) {
        view_.width = view_.height = 0;
        return false;
    }
    takePicture(software_);
    if (!drawPicture(firstReferenceRules(kReferenceRuleCount), false)) {
        view_.width = view_.height = 0;
        return false;
    }
    takePicture(model_);

    difference_ = FrameDifference();
    const std::size_t pixels = pixelCount(view_);
    for (std::size_t i = 0; i < pixels; ++i) {
        const bool inSoftware = covered(software_.depth, i);
        const bool inModel = covered(model_.depth, i);
        if (inSoftware && inModel) {
            ++difference_.both;
            const int step = largestStep(software_.bytes[i], model_.bytes[i]);
            difference_.largestStep = std::max(difference_.largestStep, step);
            if (step > kDifferenceTolerance) ++difference_.overTolerance;
        } else if (inSoftware) {
            ++difference_.softwareOnly;
        } else if (inModel) {
            ++difference_.modelOnly;
        }
    }
    return true;
}

const std::vector<std::uint8_t>& PageFrame::stagePanel(StagePicture picture) {
    switch (picture) {
        case StagePicture::Colour:
            return software_.panel;
        case StagePicture::Depth: {
            const web::DepthScale scale = web::depthScale(software_.depth);
            paintPanel(stagePanel_, view_,
                       [&](std::size_t i) { return web::depthColour(software_.depth[i], scale); });
            break;
        }
        case StagePicture::Faces:
            paintPanel(stagePanel_, view_, [&](std::size_t i) {
                return web::faceColour(scene, winningObjects_[i], winningFaces_[i]);
            });
            break;
        case StagePicture::Fragments:
            paintPanel(stagePanel_, view_,
                       [&](std::size_t i) { return web::fragmentCountColour(fragmentCounts_[i]); });
            break;
    }
    return stagePanel_;
}

const std::vector<std::int8_t>& PageFrame::causes() {
    if (causesCurrent_) return causes_;
    const std::size_t pixels = pixelCount(view_);
    constexpr std::int8_t kUnresolved = kReferenceRuleCount + 1;
    constexpr std::int8_t kNotCovered = -1;
    // Pixels the model covers, and (below) those the specified picture covers.
    causes_.assign(pixels, kNotCovered);
    for (std::size_t i = 0; i < pixels; ++i) {
        if (covered(model_.depth, i)) causes_[i] = kUnresolved;
    }
    for (int step = 0; step < kReferenceRuleCount; ++step) {
        if (!drawPicture(firstReferenceRules(step), false)) break;
        for (std::size_t i = 0; i < pixels; ++i) {
            const bool inSoftware = depthBuffer[i] < 1.0f;
            if (step == 0 && inSoftware && causes_[i] == kNotCovered) causes_[i] = kUnresolved;
            if (causes_[i] != kUnresolved) continue;
            const Color& c = colorBuffer[i];
            const float rgb[3] = {c.r, c.g, c.b};
            if (withinTolerance(inSoftware, windowBytesOf(rgb), covered(model_.depth, i),
                                model_.bytes[i])) {
                causes_[i] = static_cast<std::int8_t>(step);
            }
        }
    }
    // The last step follows every rule: it draws the model itself.
    for (std::int8_t& cause : causes_) {
        if (cause == kUnresolved) cause = kReferenceRuleCount;
    }
    causesCurrent_ = true;
    return causes_;
}

const std::vector<std::uint8_t>& PageFrame::mapPanel(MapPicture picture) {
    if (picture == MapPicture::Causes) {
        const std::vector<std::int8_t>& steps = causes();
        paintPanel(mapPanel_, view_, [&](std::size_t i) { return web::causeColour(steps[i]); });
        return mapPanel_;
    }
    paintPanel(mapPanel_, view_, [&](std::size_t i) {
        const bool inSoftware = covered(software_.depth, i);
        const bool inModel = covered(model_.depth, i);
        if (!inSoftware && !inModel) return web::kNeitherCovers;
        if (!inModel) return web::kSoftwareOnly;
        if (!inSoftware) return web::kModelOnly;
        return web::heatColour(largestStep(software_.bytes[i], model_.bytes[i]));
    });
    return mapPanel_;
}

std::string PageFrame::pixelJson(int x, int y) const {
    if (x < 0 || y < 0 || x >= view_.width || y >= view_.height) return "null";
    const std::size_t i = static_cast<std::size_t>(y) * view_.width + x;
    const float* s = &software_.color[3 * i];
    const float* m = &model_.color[3 * i];
    const std::array<std::uint8_t, 3>& softwareBytes = software_.bytes[i];
    const std::array<std::uint8_t, 3>& modelBytes = model_.bytes[i];
    const int object = winningObjects_[i];
    const int face = winningFaces_[i];
    const bool inSoftware = covered(software_.depth, i);
    const bool inModel = covered(model_.depth, i);
    std::string text =
        "{\"x\": " + std::to_string(x) + ", \"y\": " + std::to_string(y) +
        ", \"width\": " + std::to_string(view_.width) +
        ", \"height\": " + std::to_string(view_.height) + ", \"software\": {" +
        "\"color\": " + jsonFloats({s[0], s[1], s[2]}) +
        ", \"depth\": " + jsonNumber(software_.depth[i]) +
        ", \"window_bytes\": " + jsonInts({softwareBytes[0], softwareBytes[1], softwareBytes[2]}) +
        ", \"fragment_count\": " + std::to_string(fragmentCounts_[i]) +
        ", \"object\": " + (object < 0 ? "null" : std::to_string(object)) +
        ", \"face\": " + (face < 0 ? "null" : std::to_string(face)) +
        "}, \"model\": {\"color\": " + jsonFloats({m[0], m[1], m[2]}) +
        ", \"depth\": " + jsonNumber(model_.depth[i]) +
        ", \"window_bytes\": " + jsonInts({modelBytes[0], modelBytes[1], modelBytes[2]}) + "}, ";
    const char* coverage = inSoftware && inModel ? "both"
                           : inSoftware          ? "software_only"
                           : inModel             ? "model_only"
                                                 : "neither";
    text += "\"coverage\": " + jsonText(coverage) + ", \"step_difference\": " +
            jsonInts({std::abs(softwareBytes[0] - modelBytes[0]),
                      std::abs(softwareBytes[1] - modelBytes[1]),
                      std::abs(softwareBytes[2] - modelBytes[2])});
    return text + "}";
}
