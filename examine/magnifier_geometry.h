#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "raster/buffers/frame_buffers.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/stop_point.h"
#include "scene/scene.h"
#include "view/view.h"

// What the magnifier draws around one pixel, gathered from the frame: the
// pixels' colours and coverage on both sides, every face's outline that
// reaches the crop, and on each row the edges' x and the spans' columns as
// the software's row walk sets them up.

constexpr int kMagnifierSide = 15;  // pixels on each side of the crop

using Point2 = std::array<double, 2>;

struct MagnifiedPixel {
    bool inFrame = false;
    std::array<std::uint8_t, 3> rgb{};  // the software picture as the window shows it
    bool software = false;              // covered by each side
    bool reference = false;
};

struct MagnifiedFace {
    int object = 0;
    int face = 0;
    std::vector<Point2> outline;           // where the vertex stage put the corners
    std::vector<Point2> referenceOutline;  // snapped to the reference's grid
};

struct MagnifiedRow {
    int y = 0;
    int object = 0;
    int face = 0;
    std::vector<float> edgeX;               // each active edge's x on the row, in order
    std::vector<std::array<int, 2>> spans;  // filled columns [first, end)
};

struct MagnifierGeometry {
    int x = 0;  // the pinned pixel, in the middle of the crop
    int y = 0;
    int width = 0;  // the frame
    int height = 0;
    int gridBits = 0;   // the reference's grid, 1/2^gridBits pixel (0: none)
    std::string title;  // what the picture shows, one line in the tools' capital letters
    std::vector<MagnifiedPixel> pixels;  // kMagnifierSide rows, top row first, left to right
    std::vector<MagnifiedFace> faces;
    std::vector<MagnifiedRow> rows;  // of the faces whose edges and spans are drawn

    // The crop's first column and row (bottom), which may lie outside the frame.
    int left() const { return x - kMagnifierSide / 2; }
    int bottom() const { return y - kMagnifierSide / 2; }
    std::size_t index(int column, int row) const {
        return static_cast<std::size_t>(bottom() + kMagnifierSide - 1 - row) * kMagnifierSide +
               static_cast<std::size_t>(column - left());
    }
    MagnifiedPixel& at(int column, int row) { return pixels[index(column, row)]; }
    const MagnifiedPixel& at(int column, int row) const { return pixels[index(column, row)]; }
};

// The outlines of every face of the scene (camera set up) that reach the
// crop around (x, y), and the edges and spans on the crop's rows of those
// faces (of `onlyFace` alone when given), set up under `rules`; the
// reference's outlines snapped to its grid of 1/2^gridBits pixel (0: no
// grid). The pixels are left for the caller to fill in (see
// takeSoftwarePixels).
MagnifierGeometry gatherMagnifierGeometry(const Scene& scene, int width, int height,
                                          const ReferenceRules& rules, int gridBits, int x, int y,
                                          const std::optional<StopPoint>& onlyFace);

// The software picture and coverage from `buffers`.
void takeSoftwarePixels(MagnifierGeometry& geometry, PixelBuffers buffers);
// The same from a copy of them: r, g, b per pixel and a depth per pixel,
// rows from the bottom.
void takeSoftwarePixels(MagnifierGeometry& geometry, const std::vector<float>& rgb,
                        const std::vector<float>& depth);

// The reference's coverage from its window depth over the frame's
// rectangle whose lower-left pixel is (rectX, rectY), rows from the bottom.
void takeReferenceCoverage(MagnifierGeometry& geometry, const float* windowDepth, int rectX,
                           int rectY, int rectWidth, int rectHeight);

// The reference model's coverage: the scene drawn under every rule (up to
// `stop` when given), through `buffers`.
void takeModelCoverage(MagnifierGeometry& geometry, Scene& scene, const StopPoint* stop,
                       FrameBuffers& buffers);

// All of the above for the default scene in this view: the geometry around
// (x, y), the software side from `buffers` as they stand (the frame to
// show must be in them), the reference's coverage from its window depth
// over a rectangle holding the crop (`referenceDepth`, when not null), else
// from the reference model drawn up to `face` (the whole frame without one)
// through `buffers`.
struct ReferenceDepthRect {
    const std::vector<float>* windowDepth;
    int x, y, width, height;
};
MagnifierGeometry magnifyAround(const View& view, int width, int height,
                                const ReferenceRules& rules, int gridBits, int x, int y,
                                const std::optional<StopPoint>& face,
                                const ReferenceDepthRect* referenceDepth, FrameBuffers& buffers);
