#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "examine/pixel_question.h"
#include "examine/renderer_comparison.h"
#include "examine/stage_recorder.h"
#include "raster/buffers/frame_buffers.h"
#include "raster/explain/pixel_story.h"
#include "raster/explain/reference_model.h"
#include "raster/like_reference/reference_rules.h"
#include "view/view.h"

// What the browser page draws for one view: the software renderer's picture
// under the rules the page has switched on, the reference model (the same
// renderer under all of the reference's rules), the difference between the
// two, and pictures of the software renderer's stages. On one thread; the
// software picture without rules is drawn by the fast path, everything else
// by the plain path.

// The largest width and height the page draws.
constexpr int kLargestPageSide = 2048;

struct PageView {
    View view;
    int width = 480;
    int height = 480;
    ReferenceRules rules;  // the software picture's; the model always follows all
};

// A pixel of the frame (row 0 at the bottom); none where x is negative.
struct PagePixel {
    int x = -1;
    int y = -1;
};

// What the left panel shows of the software picture.
enum class StagePicture { Colour, Depth, Faces, Fragments };
// What the right panel shows.
enum class MapPicture { Difference, Causes };

// Pixels are covered where their depth is below the cleared 1.0; two covered
// pixels differ when a window byte is more than this many steps apart.
constexpr int kDifferenceTolerance = 1;

class PageFrame {
  public:
    // Draws the software picture and the model at `view`, then tells the
    // stories of `pixel` as tellStories does. The stage and map pictures are
    // made by the calls below. False, with the frame empty, when the size is
    // out of range or the memory cannot be had.
    //
    // The model is drawn now when `withModel` is set, else the first time
    // anything asks for it (its picture, its panel, the difference with it,
    // the causes); its buffers are had now either way.
    bool draw(const PageView& view, PagePixel pixel = PagePixel(), bool withModel = true);

    // The software picture's story of a pixel of the frame drawn last and the
    // model's side of it, each heard from the pixel's row alone (the same
    // stories as from the whole frame, see StoryFrame); a pixel outside the
    // frame forgets them. The pictures stay as drawn. False when the memory
    // cannot be had.
    bool tellStories(PagePixel pixel);

    const PageView& view() const { return view_; }
    int width() const { return view_.width; }
    int height() const { return view_.height; }

    // The software picture's colour (r, g, b per pixel) and depth buffers,
    // rows from the bottom: what the snapshot tool's --color-pfm and
    // --depth-pfm hold for the same view and rules. Copied from the buffers
    // the first time they are asked for after a draw.
    const std::vector<float>& softwareColor() const { return floats(software_).color; }
    const std::vector<float>& softwareDepth() const { return floats(software_).depth; }
    const std::vector<float>& modelColor() { return floats(model()).color; }
    const std::vector<float>& modelDepth() { return floats(model()).depth; }
    // The same buffers where they were drawn (width x height pixels, no
    // copy); null before the first draw.
    PixelBuffers softwarePixels() const { return software_.buffers.pixels(); }
    PixelBuffers modelPixels() { return model().buffers.pixels(); }

    // The software picture's story of the pixel asked for last, and the
    // reference model's side of it; none when no pixel of the frame was
    // asked for.
    const std::optional<PixelStory>& story() const { return story_; }
    const std::optional<ReferenceModel>& referenceModel() const { return referenceModel_; }

    // The question rasterwork-explain would be asked about `pixel` of this
    // frame, under its rules.
    PixelQuestion question(PagePixel pixel) const;

    // RGBA bytes for a canvas, top row first.
    const std::vector<std::uint8_t>& softwarePanel() const { return software_.panel; }
    const std::vector<std::uint8_t>& modelPanel() { return model().panel; }
    // The bytes given to compareWith as a canvas shows them, opaque, white
    // where they cover nothing.
    const std::vector<std::uint8_t>& givenPanel() const { return givenPanel_; }
    // The faces and fragments pictures draw the software picture once more,
    // watching every fragment, the first time they are asked for.
    const std::vector<std::uint8_t>& stagePanel(StagePicture picture);
    const std::vector<std::uint8_t>& mapPanel(MapPicture picture);

    // The difference, the cause map and the difference map compare the
    // software picture with the model, or after compareWith with the bytes
    // given (r, g, b, a per pixel, rows from the bottom, a = 0 where nothing
    // was drawn), until the next draw. False, comparing with the model, when
    // `rgba` does not hold the frame's pixels.
    bool compareWith(const std::vector<std::uint8_t>& rgba);
    void compareWithModel();
    bool comparesWithModel() const { return comparesWithModel_; }

    // How the software picture differs from the reference chosen (the
    // reference side of the report), over the whole frame, with
    // kDifferenceTolerance. Given bytes carry no depth, so against them the
    // report's depth difference means nothing.
    const ComparisonReport& difference() {
        compareIfNotCompared();
        return difference_;
    }

    // For the cause map: per pixel, the ladder step (0 for the specified
    // picture, k for the first k rules) from which on the software picture
    // stays within the tolerance of the model there (LadderCauses), -1 where
    // no step's picture nor the model covers it. Draws the ladder's
    // pictures, so it costs a frame per step; the software buffers above are
    // left as they are.
    const std::vector<std::int8_t>& causes();

    // The grid of the cause map's last step (all rules): the model's
    // kDefaultSubpixelBits unless a fit to another reference found another
    // (0: none). Kept from frame to frame.
    void setLadderGrid(int bits);

  private:
    // One picture, in the buffers it was drawn into.
    struct Picture {
        FrameBuffers buffers;
        RendererPicture shown;            // as the window shows it, top row first
        std::vector<std::uint8_t> panel;  // RGBA, top row first
        // Per row from the bottom, the columns drawn into when `shown` was
        // taken: outside them, `shown` and `panel` hold the background.
        std::vector<IndexRange> shownColumns;
        // The buffers' floats as the hook hands them out, once asked for.
        struct Floats {
            bool taken = false;
            std::vector<float> color;  // r, g, b per pixel, rows from the bottom
            std::vector<float> depth;
        };
        mutable Floats floats;
    };

    bool inFrame(PagePixel pixel) const;
    // Draws the scene under `rules` into buffers already cleared: the fast
    // path without rules, the plain one with them.
    void render(const ReferenceRules& rules, PixelBuffers buffers) const;
    // The same into `buffers`, cleared first.
    bool drawPicture(const ReferenceRules& rules, FrameBuffers& buffers) const;
    // Notes in the buffers' record the columns of each row drawn into.
    void noteCoveredColumns(FrameBuffers& buffers) const;
    // Draws `picture` under `rules` and makes what the window would show,
    // clearing and converting only the columns that the picture before
    // and this one drew.
    bool drawPicture(const ReferenceRules& rules, Picture& picture);
    // The window's bytes and depths and the panel of the picture just drawn.
    void takePicture(Picture& picture);
    // The picture's floats, copied from its buffers on the first call after a
    // draw.
    const Picture::Floats& floats(const Picture& picture) const;
    // Counts the software picture's fragments per pixel and notes the faces.
    bool watchStages();
    // The index into the top-down pictures of pixel i (row 0 at the bottom).
    std::size_t topDown(std::size_t i) const;

    // Compares the software picture with the reference chosen.
    void compare();
    // The model's picture of the frame drawn last, drawn now if it was left
    // for later; false, with the picture of an earlier frame, when there is
    // no frame.
    bool drawnModel();
    const Picture& model();
    // Compares with the model unless the frame drawn last was compared.
    void compareIfNotCompared();
    // givenPanel_ and givenColumns_ of the bytes just given.
    void takeGivenPanel();
    const RendererPicture& reference() const {
        return comparesWithModel_ ? model_.shown : givenReference_;
    }

    PageView view_;
    // Where the stories, the ladder's steps and the watched stages are drawn.
    FrameBuffers buffers_;
    Picture software_, model_;
    // What the software picture is compared with: the model or given bytes.
    RendererPicture givenReference_;
    std::vector<std::uint8_t> givenPanel_;  // RGBA, top row first
    std::vector<IndexRange> givenColumns_;  // per row from the bottom, the columns it covers
    bool comparesWithModel_ = true;
    bool modelCurrent_ = false;          // model_ is of the frame drawn last
    bool differenceCurrent_ = false;     // difference_ is of the pictures drawn last
    bool differenceMapCurrent_ = false;  // mapPanel_ holds the map of difference_
    std::optional<PixelStory> story_;
    std::optional<ReferenceModel> referenceModel_;
    std::optional<StageRecorder> stages_;  // of the frame drawn last, once watched
    std::vector<std::uint8_t> stagePanel_, mapPanel_;
    ComparisonReport difference_;
    // Per row from the bottom, the columns the last comparison looked at:
    // outside them neither picture covers a pixel.
    std::vector<IndexRange> compared_;
    // The same of the difference map in mapPanel_; empty when it holds
    // another map, or when every pixel was compared.
    std::vector<IndexRange> mappedColumns_;
    std::vector<std::int8_t> causes_;
    bool causesCurrent_ = false;
    int ladderGrid_ = kDefaultSubpixelBits;
};
