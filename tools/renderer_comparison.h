#pragma once

#include <array>
#include <cstdint>
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
// frame. Colour and depth figures are taken over the pixels both cover.
struct ComparisonReport {
    int width = 0;
    int height = 0;
    long both = 0;
    long softwareOnly = 0;
    long referenceOnly = 0;
    double iou = 1.0;  // both / covered by either; 1 when neither covers anything
    std::array<double, 3> meanStepDifference{};  // mean |software - reference| per channel
    std::array<int, 3> maxStepDifference{};
    long pixelsOverOneStep = 0;       // some channel differs by more than one step
    double maxDepthDifference = 0.0;  // largest |software - reference| window depth
};

// Both pictures must have the same size.
ComparisonReport compareRenderers(const RendererPicture& software,
                                  const RendererPicture& reference);

// The report for people, several lines.
std::string reportText(const ComparisonReport& report);

// The report as one JSON object on one line, with the keys width, height,
// both, software_only, reference_only, iou, mean_step_difference,
// max_step_difference, pixels_over_one_step and max_depth_difference.
std::string reportJson(const ComparisonReport& report);
