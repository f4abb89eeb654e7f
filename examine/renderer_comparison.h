#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "raster/buffers/frame_buffers.h"

// One renderer's picture of a frame: what the window shows and how deep each
// pixel is. Both arrays hold the top row first.
struct RendererPicture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;    // 8-bit RGB as shown
    std::vector<double> windowDepth;  // 0 at the near plane, 1 at the far plane and where cleared

    // A pixel is covered where the renderer stored a depth below the cleared 1.0.
    bool covered(std::size_t pixel) const { return windowDepth[pixel] < 1.0; }
};

// A pixel where the two pictures differ: covered by one renderer only, or by
// both and off by more than the tolerance in some channel.
struct DifferingPixel {
    enum class CoveredBy { SoftwareOnly, ReferenceOnly, Both };
    int x = 0;  // row 0 at the bottom, as in the frame buffers
    int y = 0;
    CoveredBy coveredBy = CoveredBy::Both;
    std::array<std::uint8_t, 3> software{};   // the bytes each picture shows
    std::array<std::uint8_t, 3> reference{};  // (white where it covers nothing)
    std::array<int, 3> stepDifference{};      // |software - reference| per channel

    int largestStep() const;
};

// Whether `a` is listed before `b`, worst first: pixels covered by one
// renderer only before those both cover; of those both cover, the larger
// largest channel step first; then by row from the bottom, then by column.
bool listedBefore(const DifferingPixel& a, const DifferingPixel& b);

// How the software picture differs from the reference picture of the same
// frame. Colour and depth figures are taken over the pixels both cover and
// mean nothing when `both` is 0.
struct ComparisonReport {
    int width = 0;
    int height = 0;
    long both = 0;
    long softwareOnly = 0;
    long referenceOnly = 0;
    std::optional<double> iou;  // both / covered by either; none when neither covers anything
    std::array<double, 3> meanStepDifference{};  // mean |software - reference| per channel
    long long stepDifferenceSum = 0;             // |software - reference| over every channel
    std::array<int, 3> maxStepDifference{};
    // The pixel (x, y; row 0 at the bottom, as in the frame buffers) with the
    // largest difference in any channel; of several, the first in buffer order.
    std::array<int, 2> maxStepDifferenceAt{};
    long pixelsOverOneStep = 0;       // some channel differs by more than one step
    double maxDepthDifference = 0.0;  // largest |software - reference| window depth
    int tolerance = 1;                // steps a channel may differ by
    long pixelsOverTolerance = 0;     // some channel differs by more than `tolerance` steps
    // The worst differing pixels, at most `listLimit` of them, worst first
    // (listedBefore); none are listed when the limit is 0.
    int listLimit = 0;
    std::vector<DifferingPixel> differingPixels;

    // Pixels covered by either renderer.
    long covered() const { return both + softwareOnly + referenceOnly; }
    // Pixels that differ: covered by one renderer only, or by both and off
    // by more than the tolerance.
    long differing() const { return softwareOnly + referenceOnly + pixelsOverTolerance; }
};

// Both pictures must have the same size. With a `listLimit` above 0 the
// report lists that many of the worst differing pixels.
ComparisonReport compareRenderers(const RendererPicture& software, const RendererPicture& reference,
                                  int tolerance = 1, int listLimit = 0);

// The same report, looking only at the columns `candidates` gives for each
// row (from the bottom; a row without an entry is looked at whole): the
// caller knows that neither picture covers a pixel outside them.
ComparisonReport compareRenderers(const RendererPicture& software, const RendererPicture& reference,
                                  int tolerance, int listLimit,
                                  const std::vector<IndexRange>& candidates);

// The listed differing pixels for people: a heading that says how many of
// how many are listed and one line per pixel; empty when the report lists
// none (its limit is 0).
std::string differingPixelsText(const ComparisonReport& report);

// The report for people, several lines; says so in words where nothing is
// covered by either renderer or by both. Ends with the listed differing
// pixels (differingPixelsText).
std::string reportText(const ComparisonReport& report);

// The members of the report as one JSON object (written without its braces,
// for the records that hold them): the keys width, height,
// both, software_only, reference_only, iou, mean_step_difference,
// max_step_difference, max_step_difference_at ([x, y]), pixels_over_one_step,
// max_depth_difference, tolerance and pixels_over_tolerance, and when the
// report lists differing pixels, differing_pixels: one object per pixel with
// x, y, covered_by ("software_only", "reference_only" or "both"),
// software_bytes and reference_bytes ([r, g, b], null where that renderer
// covers nothing) and step_difference ([r, g, b], null where not both
// cover). A figure over no pixels is null: iou when neither renderer covers a pixel, the colour and
// depth differences when not both do.
std::string reportJsonMembers(const ComparisonReport& report);
