#include "web/page_frame.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "examine/buffer_pictures.h"
#include "examine/colour_scales.h"
#include "examine/ladder_causes.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/buffers/window_bytes.h"
#include "raster/like_reference/render_like_reference.h"
#include "raster/like_reference/render_smooth_fast.h"
#include "raster/plain/fragment_observer.h"
#include "raster/render_software.h"
#include "scene/default_scene.h"
#include "scene/scene.h"
#include "view/camera.h"
#include "web/paint_panel.h"

namespace {

std::size_t pixelCount(const PageView& view) {
    return static_cast<std::size_t>(view.width) * static_cast<std::size_t>(view.height);
}

// The columns from the first of either range to the end of the last.
IndexRange unite(IndexRange a, IndexRange b) {
    if (a.empty()) return b;
    if (b.empty()) return a;
    return IndexRange{std::min(a.first, b.first), std::max(a.end, b.end)};
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

std::size_t PageFrame::topDown(std::size_t i) const {
    const std::size_t width = static_cast<std::size_t>(view_.width);
    const std::size_t row = i / width;
    return (static_cast<std::size_t>(view_.height) - 1 - row) * width + i % width;
}

bool PageFrame::inFrame(PagePixel pixel) const {
    return pixel.x >= 0 && pixel.x < view_.width && pixel.y >= 0 && pixel.y < view_.height;
}

void PageFrame::render(const ReferenceRules& rules, PixelBuffers buffers) const {
    Scene scene = defaultSceneSeenFrom(view_.view, view_.width, view_.height);
    if (rules.any()) {
        if (!renderSmoothLikeReference(scene, buffers, view_.width, view_.height, rules))
            renderSoftwareLikeReference(scene, buffers, view_.width, view_.height, rules);
    } else {
        // The software renderer's own picture, which the fast path draws
        // with the same bits as the plain one, in less time.
        renderSoftware(scene, buffers, view_.width, view_.height);
    }
}

bool PageFrame::drawPicture(const ReferenceRules& rules, FrameBuffers& buffers) const {
    if (!prepareFrameBuffers(buffers, view_.width, view_.height)) return false;
    render(rules, buffers.pixels());
    return true;
}

void PageFrame::noteCoveredColumns(FrameBuffers& buffers) const {
    // A pixel is drawn into only where its depth passes the test against the
    // cleared 1.0, which leaves a depth below 1.0 there: the drawn columns of
    // a row lie between its first and last such pixel.
    for (int y = 0; y < view_.height; ++y) {
        const float* row = buffers.depth + static_cast<std::size_t>(y) * view_.width;
        int first = 0;
        while (first < view_.width && !(row[first] < 1.0f)) ++first;
        int end = view_.width;
        while (end > first && !(row[end - 1] < 1.0f)) --end;
        noteWrittenColumns(buffers, y, first, end);
    }
    finishWrittenRows(buffers);
}

bool PageFrame::drawPicture(const ReferenceRules& rules, Picture& picture) {
    // Only the columns the picture before drew are cleared (the whole frame
    // at a new size).
    if (!sizeFrameBuffers(picture.buffers, view_.width, view_.height)) return false;
    clearWrittenPixels(picture.buffers);
    render(rules, picture.buffers.pixels());
    noteCoveredColumns(picture.buffers);
    takePicture(picture);
    return true;
}

bool PageFrame::watchStages() {
    if (stages_) return true;
    if (!prepareFrameBuffers(buffers_, view_.width, view_.height)) return false;
    Scene scene = defaultSceneSeenFrom(view_.view, view_.width, view_.height);
    stages_.emplace(view_.width, view_.height);
    renderSoftwareLikeReference(scene, buffers_.pixels(), view_.width, view_.height, view_.rules,
                                &*stages_);
    return true;
}

void PageFrame::takePicture(Picture& picture) {
    const std::size_t pixels = pixelCount(view_);
    picture.floats.taken = false;
    // Outside the columns this picture and the one before drew, both are the
    // cleared background: at the same size those bytes are already there.
    const bool backgroundKept =
        picture.shown.width == view_.width && picture.shown.height == view_.height &&
        picture.shownColumns.size() == static_cast<std::size_t>(view_.height);
    picture.shown.width = view_.width;
    picture.shown.height = view_.height;
    picture.shown.rgb.resize(pixels * 3);
    picture.shown.windowDepth.resize(pixels);
    picture.panel.resize(pixels * 4);
    picture.shownColumns.resize(static_cast<std::size_t>(view_.height));
    for (int y = 0; y < view_.height; ++y) {
        const IndexRange drawn = picture.buffers.written.rows[y];
        IndexRange& shownBefore = picture.shownColumns[static_cast<std::size_t>(y)];
        const IndexRange columns =
            backgroundKept ? unite(drawn, shownBefore) : IndexRange{0, view_.width};
        shownBefore = drawn;
        if (columns.empty()) continue;
        const std::size_t from = static_cast<std::size_t>(y) * view_.width + columns.first;
        const std::size_t topFrom =
            static_cast<std::size_t>(view_.height - 1 - y) * view_.width + columns.first;
        rw::windowPixels(picture.buffers.color + from, picture.buffers.depth + from,
                         static_cast<std::size_t>(columns.end - columns.first),
                         picture.panel.data() + topFrom * 4, picture.shown.rgb.data() + topFrom * 3,
                         picture.shown.windowDepth.data() + topFrom);
    }
}

const PageFrame::Picture::Floats& PageFrame::floats(const Picture& picture) const {
    Picture::Floats& floats = picture.floats;
    if (floats.taken) return floats;
    const std::size_t pixels = pixelCount(view_);
    floats.color.resize(pixels * 3);
    floats.depth.assign(picture.buffers.depth, picture.buffers.depth + pixels);
    for (std::size_t i = 0; i < pixels; ++i) {
        const Color& c = picture.buffers.color[i];
        floats.color[3 * i] = c.r;
        floats.color[3 * i + 1] = c.g;
        floats.color[3 * i + 2] = c.b;
    }
    floats.taken = true;
    return floats;
}

bool PageFrame::draw(const PageView& view, PagePixel pixel, bool withModel) {
    causesCurrent_ = false;
    stages_.reset();
    view_ = view;
    const bool sized = view.width >= 1 && view.height >= 1 && view.width <= kLargestPageSide &&
                       view.height <= kLargestPageSide;
    differenceCurrent_ = differenceMapCurrent_ = false;
    software_.floats.taken = model_.floats.taken = false;
    modelCurrent_ = false;
    // A model left for later still has its buffers now, so that drawing it
    // then cannot run out of memory.
    const auto readyModel = [&] {
        return withModel ? drawnModel()
                         : sizeFrameBuffers(model_.buffers, view_.width, view_.height);
    };
    if (!sized || !drawPicture(view_.rules, software_) || !readyModel() || !tellStories(pixel)) {
        view_.width = view_.height = 0;
        modelCurrent_ = false;
        story_.reset();
        referenceModel_.reset();
        return false;
    }
    if (withModel) compareWithModel();
    return true;
}

bool PageFrame::drawnModel() {
    if (!modelCurrent_ && view_.width > 0 && view_.height > 0) {
        modelCurrent_ = drawPicture(firstReferenceRules(kReferenceRuleCount), model_);
    }
    return modelCurrent_;
}

const PageFrame::Picture& PageFrame::model() {
    drawnModel();
    return model_;
}

void PageFrame::compareWithModel() {
    if (comparesWithModel_ && differenceCurrent_) return;
    comparesWithModel_ = true;
    drawnModel();
    compare();
}

void PageFrame::compareIfNotCompared() {
    if (!differenceCurrent_) compareWithModel();
}

bool PageFrame::compareWith(const std::vector<std::uint8_t>& rgba) {
    if (!rgbaPicture(rgba, view_.width, view_.height, &givenReference_)) {
        compareWithModel();
        return false;
    }
    takeGivenPanel();
    comparesWithModel_ = false;
    compare();
    return true;
}

void PageFrame::takeGivenPanel() {
    const RendererPicture& given = givenReference_;
    const std::size_t width = static_cast<std::size_t>(given.width);
    const std::size_t rows = static_cast<std::size_t>(given.height);
    givenPanel_.resize(width * rows * 4);
    givenColumns_.assign(rows, IndexRange{});
    // Plain pointers: through the vectors, each byte stored would make the
    // compiler load their data again for the next pixel.
    const std::uint8_t* rgb = given.rgb.data();
    const double* windowDepth = given.windowDepth.data();
    std::uint8_t* out = givenPanel_.data();
    for (std::size_t top = 0; top < rows; ++top) {
        IndexRange covered;
        for (std::size_t x = 0; x < width; ++x, rgb += 3, out += 4) {
            // RendererPicture::covered
            if (*windowDepth++ < 1.0) {
                out[0] = rgb[0];
                out[1] = rgb[1];
                out[2] = rgb[2];
                if (covered.empty()) covered.first = static_cast<int>(x);
                covered.end = static_cast<int>(x) + 1;
            } else {
                out[0] = out[1] = out[2] = 255;  // where nothing was drawn, as the window clears
            }
            out[3] = 255;
        }
        givenColumns_[rows - 1 - top] = covered;
    }
}

void PageFrame::compare() {
    causesCurrent_ = false;
    const RendererPicture& against = reference();
    if (against.width != software_.shown.width || against.height != software_.shown.height) {
        // Nothing to compare with (no model could be drawn): nothing covered.
        difference_ = ComparisonReport{};
        compared_.clear();
        differenceCurrent_ = true;
        differenceMapCurrent_ = false;
        return;
    }
    // Neither picture covers a pixel outside the columns it drew or covers.
    const std::size_t rows = static_cast<std::size_t>(software_.shown.height);
    const std::vector<IndexRange>& referenceColumns =
        comparesWithModel_ ? model_.shownColumns : givenColumns_;
    compared_.clear();
    if (software_.shownColumns.size() == rows && referenceColumns.size() == rows) {
        for (std::size_t y = 0; y < rows; ++y) {
            compared_.push_back(unite(software_.shownColumns[y], referenceColumns[y]));
        }
    }
    difference_ =
        compareRenderers(software_.shown, reference(), kDifferenceTolerance, 0, compared_);
    differenceCurrent_ = true;
    differenceMapCurrent_ = false;
}

bool PageFrame::tellStories(PagePixel pixel) {
    story_.reset();
    referenceModel_.reset();
    if (!inFrame(pixel)) return true;
    story_ = tellPixelStory(question(pixel), buffers_, StoryFrame::PixelRow);
    if (story_)
        referenceModel_ = modelReferencePixel(question(pixel), buffers_, StoryFrame::PixelRow);
    return story_.has_value() && referenceModel_.has_value();
}

const std::vector<std::uint8_t>& PageFrame::stagePanel(StagePicture picture) {
    if ((picture == StagePicture::Faces || picture == StagePicture::Fragments) && !watchStages()) {
        picture = StagePicture::Colour;
    }
    switch (picture) {
        case StagePicture::Colour:
            return software_.panel;
        case StagePicture::Depth: {
            const float* depths = software_.buffers.depth;
            const DepthScale scale = depthScale(depths, pixelCount(view_));
            paintPanel(stagePanel_, view_.width, view_.height,
                       [&](std::size_t i) { return depthColour(depths[i], scale); });
            break;
        }
        case StagePicture::Faces: {
            Scene scene;  // for the objects' colours
            buildDefaultScene(scene);
            const std::vector<std::int32_t>& objects = stages_->winningObjects();
            const std::vector<std::int32_t>& faces = stages_->winningFaces();
            paintPanel(stagePanel_, view_.width, view_.height,
                       [&](std::size_t i) { return faceColour(scene, objects[i], faces[i]); });
            break;
        }
        case StagePicture::Fragments: {
            const std::vector<std::uint32_t>& counts = stages_->fragmentCounts();
            paintPanel(stagePanel_, view_.width, view_.height,
                       [&](std::size_t i) { return fragmentCountColour(counts[i]); });
            break;
        }
    }
    return stagePanel_;
}

void PageFrame::setLadderGrid(int bits) {
    if (bits < 0 || bits > kMaxSubpixelBits || bits == ladderGrid_) return;
    ladderGrid_ = bits;
    causesCurrent_ = false;
}

const std::vector<std::int8_t>& PageFrame::causes() {
    compareIfNotCompared();
    if (causesCurrent_) return causes_;
    const std::size_t pixels = pixelCount(view_);
    LadderCauses ladder(pixels);
    const bool modelDrawn = drawnModel();
    const RendererPicture& model = model_.shown;
    const RendererPicture& reference = this->reference();
    const auto matchReference = [&](bool stepCovers, const std::uint8_t* stepBytes, std::size_t i) {
        const std::size_t t = topDown(i);
        return matchPixel(stepCovers, stepBytes, reference.covered(t), &reference.rgb[3 * t],
                          kDifferenceTolerance);
    };
    const auto matchBuffers = [&](std::size_t i) {
        return matchReference(buffers_.depth[i] < 1.0f, windowBytesOf(buffers_.color[i]).data(), i);
    };
    for (int rules = 0; rules < kReferenceRuleCount; ++rules) {
        if (!drawPicture(firstReferenceRules(rules), buffers_)) break;
        ladder.takeStep(matchBuffers);
    }
    // The last step follows every rule: at the model's grid it is the model
    // itself.
    ReferenceRules all = firstReferenceRules(kReferenceRuleCount);
    all.subpixel = ladderGrid_;
    if (ladder.stepsTaken() == kReferenceRuleCount && ladderGrid_ == kDefaultSubpixelBits &&
        modelDrawn) {
        ladder.takeStep([&](std::size_t i) {
            return matchReference(model.covered(topDown(i)), &model.rgb[3 * topDown(i)], i);
        });
    } else if (ladder.stepsTaken() == kReferenceRuleCount && drawPicture(all, buffers_)) {
        ladder.takeStep(matchBuffers);
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
        paintPanel(mapPanel_, view_.width, view_.height,
                   [&](std::size_t i) { return causeColour(steps[i]); });
        differenceMapCurrent_ = false;
        mappedColumns_.clear();
        return mapPanel_;
    }
    compareIfNotCompared();
    if (differenceMapCurrent_) return mapPanel_;
    // Outside the columns compared now and when the map was last painted,
    // neither picture covers a pixel, then or now: at the same size those
    // pixels already hold that colour.
    const std::size_t rows = static_cast<std::size_t>(view_.height);
    const bool neitherKept = mapPanel_.size() == pixelCount(view_) * 4 &&
                             mappedColumns_.size() == rows && compared_.size() == rows;
    mapPanel_.resize(pixelCount(view_) * 4);
    const RendererPicture& reference = this->reference();
    // Plain pointers: the byte stores below may alias anything, and would
    // otherwise make the compiler reload every vector's data on each pixel.
    const std::uint8_t* softwareRgb = software_.shown.rgb.data();
    const std::uint8_t* referenceRgb = reference.rgb.data();
    const double* softwareDepth = software_.shown.windowDepth.data();
    const double* referenceDepth = reference.windowDepth.data();
    for (std::size_t y = 0; y < rows; ++y) {
        const IndexRange columns =
            neitherKept ? unite(compared_[y], mappedColumns_[y]) : IndexRange{0, view_.width};
        // Both pictures and the panel hold the top row first.
        const std::size_t top = (rows - 1 - y) * static_cast<std::size_t>(view_.width);
        const std::size_t first = top + static_cast<std::size_t>(columns.first);
        const std::size_t end = top + static_cast<std::size_t>(columns.end);
        std::uint8_t* out = &mapPanel_[first * 4];
        for (std::size_t i = first; i < end; ++i, out += 4) {
            // RendererPicture::covered, of each picture
            const Rgb rgb = differenceColour(softwareDepth[i] < 1.0, referenceDepth[i] < 1.0,
                                             softwareRgb + 3 * i, referenceRgb + 3 * i);
            const std::uint8_t rgba[4] = {rgb[0], rgb[1], rgb[2], 255};
            std::memcpy(out, rgba, 4);
        }
    }
    mappedColumns_ = compared_;
    differenceMapCurrent_ = true;
    return mapPanel_;
}
