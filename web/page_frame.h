#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "view/view.h"

// What the browser page draws for one view: the software renderer's picture
// under the rules the page has switched on, the reference model (the same
// renderer under all of the reference's rules), the difference between the
// two, and pictures of the software renderer's stages. Everything is drawn by
// the plain path, on one thread.

// The largest width and height the page draws.
constexpr int kLargestPageSide = 2048;

struct PageView {
    View view;
    int width = 480;
    int height = 480;
    ReferenceRules rules;  // the software picture's; the model always follows all
};

// What the left panel shows of the software picture.
enum class StagePicture { Colour, Depth, Faces, Fragments };
// What the right panel shows.
enum class MapPicture { Difference, Causes };

// Pixels are covered where their depth is below the cleared 1.0; two covered
// pixels differ when a window byte is more than this many steps apart.
constexpr int kDifferenceTolerance = 1;

// How the software picture differs from the model's, over the whole frame.
struct FrameDifference {
    long both = 0;
    long softwareOnly = 0;
    long modelOnly = 0;
    long overTolerance = 0;  // covered by both, a channel off by more than the tolerance
    int largestStep = 0;     // in any channel, where both cover
};

class PageFrame {
  public:
    // Draws the software picture and the model at `view`; the stage and map
    // pictures are made by the calls below. False, with the frame empty,
    // when the size is out of range or the memory cannot be had.
    bool draw(const PageView& view);

    const PageView& view() const { return view_; }
    int width() const { return view_.width; }
    int height() const { return view_.height; }

    // The software picture's colour (r, g, b per pixel) and depth buffers,
    // rows from the bottom: what the snapshot tool's --color-pfm and
    // --depth-pfm hold for the same view and rules.
    const std::vector<float>& softwareColor() const { return software_.color; }
    const std::vector<float>& softwareDepth() const { return software_.depth; }
    const std::vector<float>& modelColor() const { return model_.color; }
    const std::vector<float>& modelDepth() const { return model_.depth; }

    // Fragments that reached each pixel's depth test, and the object and face
    // of the last that passed (-1 for none), in the software picture.
    const std::vector<std::uint32_t>& fragmentCounts() const { return fragmentCounts_; }
    const std::vector<std::int32_t>& winningObjects() const { return winningObjects_; }
    const std::vector<std::int32_t>& winningFaces() const { return winningFaces_; }

    // RGBA bytes for a canvas, top row first.
    const std::vector<std::uint8_t>& softwarePanel() const { return software_.panel; }
    const std::vector<std::uint8_t>& modelPanel() const { return model_.panel; }
    const std::vector<std::uint8_t>& stagePanel(StagePicture picture);
    const std::vector<std::uint8_t>& mapPanel(MapPicture picture);

    const FrameDifference& difference() const { return difference_; }

    // For the cause map: per pixel, the ladder step (0 for the specified
    // picture, k for the first k rules) from which on the software picture
    // is within the tolerance of the model there, -1 where neither covers
    // it. Draws the ladder's pictures, so it costs a frame per step; the
    // software buffers above are left as they are.
    const std::vector<std::int8_t>& causes();

    // One pixel as both pictures hold it, as a JSON object on one line.
    std::string pixelJson(int x, int y) const;

  private:
    // One picture as the buffers held it after drawing.
    struct Picture {
        std::vector<float> color;  // r, g, b per pixel, rows from the bottom
        std::vector<float> depth;
        std::vector<std::array<std::uint8_t, 3>> bytes;  // as the window shows them
        std::vector<std::uint8_t> panel;                 // RGBA, top row first
    };

    bool drawPicture(const ReferenceRules& rules, bool recordStages);
    // Copies the buffers of the frame just drawn into `picture`.
    void takePicture(Picture& picture);

    PageView view_;
    Picture software_, model_;
    std::vector<std::uint32_t> fragmentCounts_;
    std::vector<std::int32_t> winningObjects_, winningFaces_;
    std::vector<std::uint8_t> stagePanel_, mapPanel_;
    std::vector<std::uint8_t> rowBgra_;  // one row's window bytes, B, G, R, A
    FrameDifference difference_;
    std::vector<std::int8_t> causes_;
    bool causesCurrent_ = false;
};
