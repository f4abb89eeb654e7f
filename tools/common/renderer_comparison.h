#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
    std::array<int, 3> maxStepDifference{};
    // The pixel (x, y; row 0 at the bottom, as in the frame buffers) with the
    // largest difference in any channel; of several, the first in buffer order.
    std::array<int, 2> maxStepDifferenceAt{};
    long pixelsOverOneStep = 0;       // some channel differs by more than one step
    double maxDepthDifference = 0.0;  // largest |software - reference| window depth
    int tolerance = 1;                // steps a channel may differ by
    long pixelsOverTolerance = 0;     // some channel differs by more than `tolerance` steps

    // Pixels covered by either renderer.
    long covered() const { return both + softwareOnly + referenceOnly; }
    // Pixels that differ: covered by one renderer only, or by both and off
    // by more than the tolerance.
    long differing() const { return softwareOnly + referenceOnly + pixelsOverTolerance; }
};

// Both pictures must have the same size.
ComparisonReport compareRenderers(const RendererPicture& software, const RendererPicture& reference,
                                  int tolerance = 1);

// The report for people, several lines; says so in words where nothing is
// covered by either renderer or by both.
std::string reportText(const ComparisonReport& report);

// The report as one JSON object on one line, with the keys width, height,
// both, software_only, reference_only, iou, mean_step_difference,
// max_step_difference, max_step_difference_at ([x, y]), pixels_over_one_step,
// max_depth_difference, tolerance and pixels_over_tolerance. A figure over no
// pixels is null: iou when neither renderer covers a pixel, the colour and
// depth differences when not both do.
std::string reportJson(const ComparisonReport& report);

// The members of that object, without the braces, for records that extend it.
std::string reportJsonMembers(const ComparisonReport& report);

// A number for JSON: up to 9 significant digits; null when not finite.
std::string jsonNumber(double value);
