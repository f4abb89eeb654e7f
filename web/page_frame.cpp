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
#include "web/stage_counter.h"

using web::Rgb;

namespace {

std::size_t pixelCount(const PageView& view) {
    return static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
}

std::array<std::uint8_t, 3> windowBytesOf(const float* rgb) {
    return {windowByte(rgb[0]), windowByte(rgb[1]), windowByte(rgb[2])};
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
    web::StageCounter counter(view_.width, fragmentCounts_, winningObjects_, winningFaces_);
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
            web::paintPanel(stagePanel_, view_.width, view_.height, [&](std::size_t i) {
                return web::depthColour(software_.depth[i], scale);
            });
            break;
        }
        case StagePicture::Faces: {
            Scene scene;  // for the objects' colours
            buildDefaultScene(scene);
            web::paintPanel(stagePanel_, view_.width, view_.height, [&](std::size_t i) {
                return web::faceColour(scene, winningObjects_[i], winningFaces_[i]);
            });
            break;
        }
        case StagePicture::Fragments:
            web::paintPanel(stagePanel_, view_.width, view_.height, [&](std::size_t i) {
                return web::fragmentCountColour(fragmentCounts_[i]);
            });
            break;
    }
    return stagePanel_;
}

const std::vector<std::int8_t>& PageFrame::causes() {
    if (causesCurrent_) return causes_;
    const std::size_t pixels = pixelCount(view_);
    LadderCauses ladder(pixels);
    const auto matchModel = [&](bool stepCovers, const Rgb& stepBytes, std::size_t i) {
        return matchPixel(stepCovers, stepBytes.data(), covered(model_.depth, i),
                          model_.bytes[i].data(), kDifferenceTolerance);
    };
    for (int rules = 0; rules < kReferenceRuleCount; ++rules) {
        if (!drawPicture(firstReferenceRules(rules))) break;
        ladder.takeStep([&](std::size_t i) {
            const Color& c = colorBuffer[i];
            const float rgb[3] = {c.r, c.g, c.b};
            return matchModel(depthBuffer[i] < 1.0f, windowBytesOf(rgb), i);
        });
    }
    // The last step follows every rule: it draws the model itself.
    if (ladder.stepsTaken() == kReferenceRuleCount) {
        ladder.takeStep([&](std::size_t i) {
            return matchModel(covered(model_.depth, i), model_.bytes[i], i);
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
        web::paintPanel(mapPanel_, view_.width, view_.height,
                        [&](std::size_t i) { return causeColour(steps[i]); });
        return mapPanel_;
    }
    web::paintPanel(mapPanel_, view_.width, view_.height, [&](std::size_t i) {
        const bool inSoftware = covered(software_.depth, i);
        const bool inModel = covered(model_.depth, i);
        if (!inSoftware && !inModel) return web::kNeitherCovers;
        if (!inModel) return web::kSoftwareOnly;
        if (!inSoftware) return web::kModelOnly;
        return web::heatColour(largestStep(software_.bytes[i], model_.bytes[i]));
    });
    return mapPanel_;
}
