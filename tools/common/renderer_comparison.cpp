#include "tools/common/renderer_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

ComparisonReport compareRenderers(const RendererPicture& software, const RendererPicture& reference,
                                  int tolerance) {
    ComparisonReport report;
    report.tolerance = tolerance;
    report.width = software.width;
    report.height = software.height;
    std::array<long long, 3> stepSums{};
    int largestStep = -1;
    // Bottom row first, so that the pixel of the largest difference is the
    // first in buffer order.
    for (int y = 0; y < software.height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(software.height - 1 - y) *
                                     static_cast<std::size_t>(software.width);
        for (int x = 0; x < software.width; ++x) {
            const std::size_t i = rowStart + static_cast<std::size_t>(x);
            const bool inSoftware = software.covered(i);
            const bool inReference = reference.covered(i);
            if (inSoftware != inReference) {
                ++(inSoftware ? report.softwareOnly : report.referenceOnly);
                continue;
            }
            if (!inSoftware) continue;
            ++report.both;
            int largest = 0;
            for (int c = 0; c < 3; ++c) {
                const int step = std::abs(software.rgb[3 * i + c] - reference.rgb[3 * i + c]);
                stepSums[c] += step;
                report.maxStepDifference[c] = std::max(report.maxStepDifference[c], step);
                largest = std::max(largest, step);
            }
            if (largest > 1) ++report.pixelsOverOneStep;
            if (largest > tolerance) ++report.pixelsOverTolerance;
            if (largest > largestStep) {
                largestStep = largest;
                report.maxStepDifferenceAt = {x, y};
            }
            const double depth = std::fabs(software.windowDepth[i] - reference.windowDepth[i]);
            // A NaN depth counts as the largest difference there can be.
            if (!(depth <= report.maxDepthDifference)) report.maxDepthDifference = depth;
        }
    }
    const long either = report.both + report.softwareOnly + report.referenceOnly;
    if (either > 0) report.iou = static_cast<double>(report.both) / static_cast<double>(either);
    if (report.both > 0) {
        for (int c = 0; c < 3; ++c) {
            report.meanStepDifference[c] =
                static_cast<double>(stepSums[c]) / static_cast<double>(report.both);
        }
    }
    return report;
}

namespace {

std::string format(const char* pattern, double value) {
    char text[64];
    std::snprintf(text, sizeof text, pattern, value);
    return text;
}

template <typename Number, std::size_t N>
std::string jsonList(const std::array<Number, N>& values) {
    std::string text = "[";
    for (std::size_t c = 0; c < N; ++c) {
        if (c > 0) text += ", ";
        text += jsonNumber(static_cast<double>(values[c]));
    }
    return text + "]";
}

}  // namespace

// JSON has no infinities or NaN: such a value is written as null.
std::string jsonNumber(double value) {
    return std::isfinite(value) ? format("%.9g", value) : "null";
}

std::string reportText(const ComparisonReport& r) {
    std::string text;
    text += "frame                           " + std::to_string(r.width) + " x " +
            std::to_string(r.height) + " pixels\n";
    text += "covered by both                 " + std::to_string(r.both) + "\n";
    text += "covered by the software only    " + std::to_string(r.softwareOnly) + "\n";
    text += "covered by the reference only   " + std::to_string(r.referenceOnly) + "\n";
    text += "coverage intersection / union   " +
            (r.iou ? format("%.6f", *r.iou) : "none: no pixel is covered by either renderer") +
            "\n";
    if (r.both == 0) {
        text += "where both cover                nothing to compare: no pixel is covered by both\n";
        return text;
    }
    text += "where both cover, in 8-bit steps (r g b):\n";
    text += "  mean difference               " + format("%.3f", r.meanStepDifference[0]) + " " +
            format("%.3f", r.meanStepDifference[1]) + " " +
            format("%.3f", r.meanStepDifference[2]) + "\n";
    text += "  largest difference            " + std::to_string(r.maxStepDifference[0]) + " " +
            std::to_string(r.maxStepDifference[1]) + " " + std::to_string(r.maxStepDifference[2]) +
            "\n";
    text += "  largest at pixel (x y)        " + std::to_string(r.maxStepDifferenceAt[0]) + " " +
            std::to_string(r.maxStepDifferenceAt[1]) + " (row 0 at the bottom)\n";
    text += "  pixels off by more than one   " + std::to_string(r.pixelsOverOneStep) + "\n";
    if (r.tolerance != 1) {
        std::string label = "  pixels off by more than " + std::to_string(r.tolerance);
        label.resize(std::max<std::size_t>(label.size() + 1, 32), ' ');
        text += label + std::to_string(r.pixelsOverTolerance) + "\n";
    }
    text += "largest depth difference        " + format("%.9g", r.maxDepthDifference) +
            " (window depth, 0..1)\n";
    return text;
}

std::string reportJson(const ComparisonReport& r) {
    return "{" + reportJsonMembers(r) + "}\n";
}

std::string reportJsonMembers(const ComparisonReport& r) {
    const bool compared = r.both > 0;
    return "\"width\": " + std::to_string(r.width) + ", \"height\": " + std::to_string(r.height) +
           ", \"both\": " + std::to_string(r.both) +
           ", \"software_only\": " + std::to_string(r.softwareOnly) +
           ", \"reference_only\": " + std::to_string(r.referenceOnly) +
           ", \"iou\": " + (r.iou ? jsonNumber(*r.iou) : "null") +
           ", \"mean_step_difference\": " + (compared ? jsonList(r.meanStepDifference) : "null") +
           ", \"max_step_difference\": " + (compared ? jsonList(r.maxStepDifference) : "null") +
           ", \"max_step_difference_at\": " +
           (compared ? jsonList(r.maxStepDifferenceAt) : "null") +
           ", \"pixels_over_one_step\": " + std::to_string(r.pixelsOverOneStep) +
           ", \"max_depth_difference\": " + (compared ? jsonNumber(r.maxDepthDifference) : "null") +
           ", \"tolerance\": " + std::to_string(r.tolerance) +
           ", \"pixels_over_tolerance\": " + std::to_string(r.pixelsOverTolerance);
}
