#include "web/page_frame.h"

#include <algorithm>
#include <cstdlib>

#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/explain/ladder_causes.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/plain/fragment_observer.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/page_colours.h"

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

}  // namespace

PixelQuestion PageFrame::question(PagePixel pixel) const {
    PixelQuestion question;
    question.view = view_.view;
    question.width = view_.width;
    question.height = view_.height;
    question.rules = view_.rules;
    question.x = pixel.x;
    question.y = pixel.y;
    return question;
}

bool PageFrame::inFrame(PagePixel pixel) const {
    return pixel.x >= 0 && pixel.x < view_.width && pixel.y >= 0 && pixel.y < view_.height;
}

bool PageFrame::drawPicture(const ReferenceRules& rules) {
    if (!prepareFrameBuffers(view_.width, view_.height)) return false;
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, view_.view, view_.width, view_.height);
    renderSoftwareLikeReference(scene, view_.width, view_.height, rules);
    return true;
}

bool PageFrame::drawSoftware(PagePixel pixel) {
    story_.reset();
    if (!inFrame(pixel)) return drawPicture(view_.rules);
    story_ = tellPixelStory(question(pixel));
    return story_.has_value();
}

bool PageFrame::drawModel(PagePixel pixel) {
    referenceModel_.reset();
    if (!inFrame(pixel)) return drawPicture(firstReferenceRules(kReferenceRuleCount));
    referenceModel_ = modelReferencePixel(question(pixel));
    return referenceModel_.has_value();
}

bool PageFrame::watchStages() {
    if (stagesCurrent_) return true;
    if (!prepareFrameBuffers(view_.width, view_.height)) return false;
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, view_.view, view_.width, view_.height);
    const std::size_t pixels = pixelCount(view_);
    fragmentCounts_.assign(pixels, 0);
    winningObjects_.assign(pixels, -1);
    winningFaces_.assign(pixels, -1);
    StageCounter counter(view_.width, fragmentCounts_, winningObjects_, winningFaces_);
    renderSoftwareLikeReference(scene, view_.width, view_.height, view_.rules, &counter);
    stagesCurrent_ = true;
    return true;
}

void PageFrame::takePicture(Picture& picture) {
    const std::size_t pixels = pixelCount(view_);
    picture.color.resize(pixels * 3);
    picture.depth.assign(depthBuffer, depthBuffer + pixels);
    picture.bytes.resize(pixels);
    picture.panel.resize(pixels * 4);
    // Plain pointers: the byte stores below may alias anything, and would
    // otherwise make the compiler reload every vector's data on each pixel.
    // (windowByte pixel by pixel: in WebAssembly, convertToBgra runs on
    // Highway's emulated vectors, some thirty times slower.)
    const Color* colors = colorBuffer;
    float* rgb = picture.color.data();
    Rgb* bytes = picture.bytes.data();
    for (int y = 0; y < view_.height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(y) * view_.width;
        std::uint8_t* out =
            &picture.panel[static_cast<std::size_t>(view_.height - 1 - y) * view_.width * 4];
        for (std::size_t i = rowStart; i < rowStart + view_.width; ++i, out += 4) {
            const Color c = colors[i];
            rgb[3 * i] = c.r;
            rgb[3 * i + 1] = c.g;
            rgb[3 * i + 2] = c.b;
            const Rgb pixel = {windowByte(c.r), windowByte(c.g), windowByte(c.b)};
            bytes[i] = pixel;
            out[0] = pixel[0];
            out[1] = pixel[1];
            out[2] = pixel[2];
            out[3] = 255;
        }
    }
}

bool PageFrame::draw(const PageView& view, PagePixel pixel) {
    causesCurrent_ = false;
    stagesCurrent_ = false;
    view_ = view;
    const bool sized = view.width >= 1 && view.height >= 1 && view.width <= kLargestPageSide &&
                       view.height <= kLargestPageSide;
    if (!sized || !drawSoftware(pixel)) {
        view_.width = view_.height = 0;
        return false;
    }
    takePicture(software_);
    if (!drawModel(pixel)) {
        view_.width = view_.height = 0;
        return false;
    }
    takePicture(model_);

    compareWithModel();
    return true;
}

void PageFrame::compareWithModel() {
    const std::size_t pixels = pixelCount(view_);
    referenceCovered_.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) referenceCovered_[i] = covered(model_.depth, i);
    referenceBytes_ = model_.bytes;
    comparesWithModel_ = true;
    compare();
}

bool PageFrame::compareWith(const std::vector<std::uint8_t>& rgba) {
    const std::size_t pixels = pixelCount(view_);
    if (rgba.size() != pixels * 4) {
        compareWithModel();
        return false;
    }
    referenceCovered_.resize(pixels);
    referenceBytes_.resize(pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        referenceCovered_[i] = rgba[4 * i + 3] != 0;
        referenceBytes_[i] = {rgba[4 * i], rgba[4 * i + 1], rgba[4 * i + 2]};
    }
    comparesWithModel_ = false;
    compare();
    return true;
}

void PageFrame::compare() {
    causesCurrent_ = false;
    difference_ = FrameDifference();
    const std::size_t pixels = pixelCount(view_);
    for (std::size_t i = 0; i < pixels; ++i) {
        const bool inSoftware = covered(software_.depth, i);
        const bool inReference = referenceCovers(i);
        if (inSoftware && inReference) {
            ++difference_.both;
            const int step = largestStep(software_.bytes[i], referenceBytes_[i]);
            difference_.largestStep = std::max(difference_.largestStep, step);
            if (step > kDifferenceTolerance) ++difference_.overTolerance;
        } else if (inSoftware) {
            ++difference_.softwareOnly;
        } else if (inReference) {
            ++difference_.modelOnly;
        }
    }
}

bool PageFrame::tellStories(PagePixel pixel) {
    return drawSoftware(pixel) && drawModel(pixel);
}

const std::vector<std::uint8_t>& PageFrame::stagePanel(StagePicture picture) {
    if ((picture == StagePicture::Faces || picture == StagePicture::Fragments) && !watchStages()) {
        picture = StagePicture::Colour;
    }
    switch (picture) {
        case StagePicture::Colour:
            return software_.panel;
        case StagePicture::Depth: {
            const web::DepthScale scale = web::depthScale(software_.depth);
            paintPanel(stagePanel_, view_,
                       [&](std::size_t i) { return web::depthColour(software_.depth[i], scale); });
            break;
        }
        case StagePicture::Faces: {
            Scene scene;  // for the objects' colours
            buildDefaultScene(scene);
            paintPanel(stagePanel_, view_, [&](std::size_t i) {
                return web::faceColour(scene, winningObjects_[i], winningFaces_[i]);
            });
            break;
        }
        case StagePicture::Fragments:
            paintPanel(stagePanel_, view_,
                       [&](std::size_t i) { return web::fragmentCountColour(fragmentCounts_[i]); });
            break;
    }
    return stagePanel_;
}

void PageFrame::setLadderGrid(int bits) {
    if (bits < 0 || bits > kMaxSubpixelBits || bits == ladderGrid_) return;
    ladderGrid_ = bits;
    causesCurrent_ = false;
}

const std::vector<std::int8_t>& PageFrame::causes() {
    if (causesCurrent_) return causes_;
    const std::size_t pixels = pixelCount(view_);
    LadderCauses ladder(pixels);
    const auto matchReference = [&](bool stepCovers, const Rgb& stepBytes, std::size_t i) {
        return matchPixel(stepCovers, stepBytes.data(), referenceCovers(i),
                          referenceBytes_[i].data(), kDifferenceTolerance);
    };
    for (int rules = 0; rules < kReferenceRuleCount; ++rules) {
        if (!drawPicture(firstReferenceRules(rules))) break;
        ladder.takeStep([&](std::size_t i) {
            const Color& c = colorBuffer[i];
            const float rgb[3] = {c.r, c.g, c.b};
            return matchReference(depthBuffer[i] < 1.0f, windowBytesOf(rgb), i);
        });
    }
    // The last step follows every rule: at the model's grid it is the model
    // itself.
    ReferenceRules all = firstReferenceRules(kReferenceRuleCount);
    all.subpixel = ladderGrid_;
    if (ladder.stepsTaken() == kReferenceRuleCount && ladderGrid_ == kDefaultSubpixelBits) {
        ladder.takeStep([&](std::size_t i) {
            return matchReference(covered(model_.depth, i), model_.bytes[i], i);
        });
    } else if (ladder.stepsTaken() == kReferenceRuleCount && drawPicture(all)) {
        ladder.takeStep([&](std::size_t i) {
            const Color& c = colorBuffer[i];
            const float rgb[3] = {c.r, c.g, c.b};
            return matchReference(depthBuffer[i] < 1.0f, windowBytesOf(rgb), i);
        });
    }
    causes_ = ladder.stepsTaken() == kLadderStepCount
                  ? ladder.causes()
                  : std::vector<std::int8_t>(pixels, kCauseNotCovered);
    causesCurrent_ = true;
    return causes_;
}

const std::vector<std::uint8_t>& PageFrame::mapPanel(MapPicture picture) {
    if (picture == MapPicture::Causes) {
        const std::vector<std::int8_t>& steps = causes();
        paintPanel(mapPanel_, view_, [&](std::size_t i) { return causeColour(steps[i]); });
        return mapPanel_;
    }
    paintPanel(mapPanel_, view_, [&](std::size_t i) {
        const bool inSoftware = covered(software_.depth, i);
        const bool inReference = referenceCovers(i);
        if (!inSoftware && !inReference) return web::kNeitherCovers;
        if (!inReference) return web::kSoftwareOnly;
        if (!inSoftware) return web::kModelOnly;
        return web::heatColour(largestStep(software_.bytes[i], referenceBytes_[i]));
    });
    return mapPanel_;
}
