#include "examine/renderer_comparison.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <utility>

#include "examine/json_values.h"

int DifferingPixel::largestStep() const {
    return std::max({stepDifference[0], stepDifference[1], stepDifference[2]});
}

bool listedBefore(const DifferingPixel& a, const DifferingPixel& b) {
    const bool aBoth = a.coveredBy == DifferingPixel::CoveredBy::Both;
    const bool bBoth = b.coveredBy == DifferingPixel::CoveredBy::Both;
    if (aBoth != bBoth) return !aBoth;
    if (aBoth && a.largestStep() != b.largestStep()) return a.largestStep() > b.largestStep();
    if (a.y != b.y) return a.y < b.y;
    return a.x < b.x;
}

namespace {

// Keeps the `limit` worst of the differing pixels offered to it, as a heap
// whose front is the mildest kept.
class WorstPixels {
  public:
    explicit WorstPixels(int limit) : limit_(static_cast<std::size_t>(std::max(limit, 0))) {}

    // Whether any pixel offered can be kept: the page's comparisons list
    // none, and then no pixel's record need be made.
    bool keepsAny() const { return limit_ > 0; }

    void offer(const DifferingPixel& pixel) {
        if (limit_ == 0) return;
        if (heap_.size() == limit_) {
            if (!listedBefore(pixel, heap_.front())) return;
            std::pop_heap(heap_.begin(), heap_.end(), listedBefore);
            heap_.pop_back();
        }
        heap_.push_back(pixel);
        std::push_heap(heap_.begin(), heap_.end(), listedBefore);
    }

    // Worst first.
    std::vector<DifferingPixel> take() {
        std::sort_heap(heap_.begin(), heap_.end(), listedBefore);
        return std::move(heap_);
    }

  private:
    std::size_t limit_;
    std::vector<DifferingPixel> heap_;
};

DifferingPixel differingPixel(const RendererPicture& software, const RendererPicture& reference,
                              int x, int y, std::size_t i, DifferingPixel::CoveredBy coveredBy) {
    DifferingPixel pixel;
    pixel.x = x;
    pixel.y = y;
    pixel.coveredBy = coveredBy;
    for (int c = 0; c < 3; ++c) {
        pixel.software[c] = software.rgb[3 * i + c];
        pixel.reference[c] = reference.rgb[3 * i + c];
        pixel.stepDifference[c] = std::abs(pixel.software[c] - pixel.reference[c]);
    }
    return pixel;
}

}  // namespace

ComparisonReport compareRenderers(const RendererPicture& software, const RendererPicture& reference,
                                  int tolerance, int listLimit) {
    // No row has an entry, so every row is looked at whole.
    return compareRenderers(software, reference, tolerance, listLimit, std::vector<IndexRange>());
}

ComparisonReport compareRenderers(const RendererPicture& software, const RendererPicture& reference,
                                  int tolerance, int listLimit,
                                  const std::vector<IndexRange>& candidates) {
    ComparisonReport report;
    report.tolerance = tolerance;
    report.listLimit = listLimit;
    WorstPixels worst(listLimit);
    report.width = software.width;
    report.height = software.height;
    std::array<long long, 3> stepSums{};
    std::array<int, 3> maxSteps{};
    long both = 0, overOneStep = 0, overTolerance = 0;
    double maxDepth = 0.0;
    int largestStep = -1;
    // Plain pointers, and the counts in locals until the end: the byte loads
    // would otherwise keep the compiler going back to memory for them.
    const std::uint8_t* softwareRgb = software.rgb.data();
    const std::uint8_t* referenceRgb = reference.rgb.data();
    const double* softwareDepth = software.windowDepth.data();
    const double* referenceDepth = reference.windowDepth.data();
    // Bottom row first, so that the pixel of the largest difference is the
    // first in buffer order.
    for (int y = 0; y < software.height; ++y) {
        const std::size_t rowStart = static_cast<std::size_t>(software.height - 1 - y) *
                                     static_cast<std::size_t>(software.width);
        const IndexRange columns = static_cast<std::size_t>(y) < candidates.size()
                                       ? candidates[static_cast<std::size_t>(y)]
                                       : IndexRange{0, software.width};
        for (int x = std::max(columns.first, 0); x < std::min(columns.end, software.width); ++x) {
            const std::size_t i = rowStart + static_cast<std::size_t>(x);
            const bool inSoftware = softwareDepth[i] < 1.0;  // RendererPicture::covered
            const bool inReference = referenceDepth[i] < 1.0;
            if (inSoftware != inReference) {
                ++(inSoftware ? report.softwareOnly : report.referenceOnly);
                if (worst.keepsAny())
                    worst.offer(differingPixel(software, reference, x, y, i,
                                               inSoftware
                                                   ? DifferingPixel::CoveredBy::SoftwareOnly
                                                   : DifferingPixel::CoveredBy::ReferenceOnly));
                continue;
            }
            if (!inSoftware) continue;
            ++both;
            int largest = 0;
            for (int c = 0; c < 3; ++c) {
                const int step = std::abs(softwareRgb[3 * i + c] - referenceRgb[3 * i + c]);
                stepSums[c] += step;
                maxSteps[c] = std::max(maxSteps[c], step);
                largest = std::max(largest, step);
            }
            if (largest > 1) ++overOneStep;
            if (largest > tolerance) {
                ++overTolerance;
                if (worst.keepsAny())
                    worst.offer(differingPixel(software, reference, x, y, i,
                                               DifferingPixel::CoveredBy::Both));
            }
            if (largest > largestStep) {
                largestStep = largest;
                report.maxStepDifferenceAt = {x, y};
            }
            const double depth = std::fabs(softwareDepth[i] - referenceDepth[i]);
            // A NaN depth counts as the largest difference there can be, and
            // stays: no later pixel's depth is larger.
            if (!(depth <= maxDepth) && !std::isnan(maxDepth)) maxDepth = depth;
        }
    }
    report.both = both;
    report.pixelsOverOneStep = overOneStep;
    report.pixelsOverTolerance = overTolerance;
    report.maxStepDifference = maxSteps;
    report.maxDepthDifference = maxDepth;
    report.differingPixels = worst.take();
    report.stepDifferenceSum = stepSums[0] + stepSums[1] + stepSums[2];
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

const char* coveredByName(DifferingPixel::CoveredBy coveredBy) {
    switch (coveredBy) {
        case DifferingPixel::CoveredBy::SoftwareOnly:
            return "software_only";
        case DifferingPixel::CoveredBy::ReferenceOnly:
            return "reference_only";
        case DifferingPixel::CoveredBy::Both:
            break;
    }
    return "both";
}

template <typename Number>
std::string triple(const std::array<Number, 3>& values) {
    return std::to_string(values[0]) + " " + std::to_string(values[1]) + " " +
           std::to_string(values[2]);
}

std::string differingPixelJson(const DifferingPixel& p) {
    using CoveredBy = DifferingPixel::CoveredBy;
    const bool both = p.coveredBy == CoveredBy::Both;
    const bool inSoftware = p.coveredBy != CoveredBy::ReferenceOnly;
    const bool inReference = p.coveredBy != CoveredBy::SoftwareOnly;
    return "{\"x\": " + std::to_string(p.x) + ", \"y\": " + std::to_string(p.y) +
           ", \"covered_by\": \"" + coveredByName(p.coveredBy) +
           "\", \"software_bytes\": " + (inSoftware ? jsonList(p.software) : "null") +
           ", \"reference_bytes\": " + (inReference ? jsonList(p.reference) : "null") +
           ", \"step_difference\": " + (both ? jsonList(p.stepDifference) : "null") + "}";
}

}  // namespace

std::string differingPixelsText(const ComparisonReport& r) {
    if (r.listLimit <= 0) return "";
    using CoveredBy = DifferingPixel::CoveredBy;
    std::string text = "differing pixels, worst first   " +
                       std::to_string(r.differingPixels.size()) + " of " +
                       std::to_string(r.differing()) + " (row 0 at the bottom)\n";
    if (r.differingPixels.empty()) return text;
    text += "      x     y  covered by      steps r g b   software r g b   reference r g b\n";
    for (const DifferingPixel& p : r.differingPixels) {
        const bool both = p.coveredBy == CoveredBy::Both;
        const bool inSoftware = p.coveredBy != CoveredBy::ReferenceOnly;
        const bool inReference = p.coveredBy != CoveredBy::SoftwareOnly;
        char line[160];
        std::snprintf(line, sizeof line, "  %5d %5d  %-14s  %-13s %-16s %s\n", p.x, p.y,
                      both         ? "both"
                      : inSoftware ? "software only"
                                   : "reference only",
                      both ? triple(p.stepDifference).c_str() : "-",
                      inSoftware ? triple(p.software).c_str() : "-",
                      inReference ? triple(p.reference).c_str() : "-");
        text += line;
    }
    return text;
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
        return text + differingPixelsText(r);
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
    text += "largest depth difference        " + nineDigits(r.maxDepthDifference) +
            " (window depth, 0..1)\n";
    return text + differingPixelsText(r);
}

namespace {

std::string differingPixelsJson(const ComparisonReport& r) {
    std::string text = "[";
    for (std::size_t i = 0; i < r.differingPixels.size(); ++i) {
        if (i > 0) text += ", ";
        text += differingPixelJson(r.differingPixels[i]);
    }
    return text + "]";
}

}  // namespace

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
           ", \"pixels_over_tolerance\": " + std::to_string(r.pixelsOverTolerance) +
           (r.listLimit > 0 ? ", \"differing_pixels\": " + differingPixelsJson(r) : "");
}
