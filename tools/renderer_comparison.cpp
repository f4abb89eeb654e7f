#include "tools/renderer_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

ComparisonReport compareRenderers(const RendererPicture& software,
                                  const RendererPicture& reference) {
    ComparisonReport report;
    report.width = software.width;
    report.height = software.height;
    std::array<long long, 3> stepSums{};
    const std::size_t pixels =
        static_cast<std::size_t>(software.width) * static_cast<std::size_t>(software.height);
    for (std::size_t i = 0; i < pixels; ++i) {
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
        const double depth = std::fabs(software.windowDepth[i] - reference.windowDepth[i]);
        // A NaN depth counts as the largest difference there can be.
        if (!(depth <= report.maxDepthDifference)) report.maxDepthDifference = depth;
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

// JSON has no infinities or NaN: such a value is written as null.
std::string jsonNumber(double value) {
    return std::isfinite(value) ? format("%.9g", value) : "null";
}

template <typename Number>
std::string jsonTriple(const std::array<Number, 3>& values) {
    std::string text = "[";
    for (int c = 0; c < 3; ++c) {
        if (c > 0) text += ", ";
        text += jsonNumber(static_cast<double>(values[c]));
    }
    return text + "]";
}

}  // namespace

std::string reportText(const ComparisonReport& r) {
    std::string text;
    text += "frame                           " + std::to_string(r.width) + " x " +
            std::to_string(r.height) + " pixels\n";
    text += "covered by both                 " + std::to_string(r.both) + "\n";
    text += "covered by the software only    " + std::to_string(r.softwareOnly) + "\n";
    text += "covered by the reference only   " + std::to_string(r.referenceOnly) + "\n";
    text += "coverage intersection / union   " + format("%.6f", r.iou) + "\n";
    text += "where both cover, in 8-bit steps (r g b):\n";
    text += "  mean difference               " + format("%.3f", r.meanStepDifference[0]) + " " +
            format("%.3f", r.meanStepDifference[1]) + " " +
            format("%.3f", r.meanStepDifference[2]) + "\n";
    text += "  largest difference            " + std::to_string(r.maxStepDifference[0]) + " " +
            std::to_string(r.maxStepDifference[1]) + " " + std::to_string(r.maxStepDifference[2]) +
            "\n";
    text += "  pixels off by more than one   " + std::to_string(r.pixelsOverOneStep) + "\n";
    text += "largest depth difference        " + format("%.9g", r.maxDepthDifference) +
            " (window depth, 0..1)\n";
    return text;
}

std::string reportJson(const ComparisonReport& r) {
    return "{\"width\": " + std::to_string(r.width) + ", \"height\": " + std::to_string(r.height) +
           ", \"both\": " + std::to_string(r.both) +
           ", \"software_only\": " + std::to_string(r.softwareOnly) +
           ", \"reference_only\": " + std::to_string(r.referenceOnly) +
           ", \"iou\": " + jsonNumber(r.iou) +
           ", \"mean_step_difference\": " + jsonTriple(r.meanStepDifference) +
           ", \"max_step_difference\": " + jsonTriple(r.maxStepDifference) +
           ", \"pixels_over_one_step\": " + std::to_string(r.pixelsOverOneStep) +
           ", \"max_depth_difference\": " + jsonNumber(r.maxDepthDifference) + "}\n";
}
