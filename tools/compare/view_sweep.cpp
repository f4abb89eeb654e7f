#include "tools/compare/view_sweep.h"

#include <algorithm>
#include <cstdio>

#include "examine/json_values.h"
#include "tools/compare/difference_ladder.h"
#include "tools/compare/view_list.h"

const char* const kSweepFigureNames[kSweepFigureCount] = {"iou",
                                                          "differing",
                                                          "pixels_over_one_step",
                                                          "max_step_difference",
                                                          "mean_step_difference",
                                                          "max_depth_difference"};
const char* const kSweepFigureCaptions[kSweepFigureCount] = {"IOU",     "DIFFERING", "OVER ONE",
                                                             "LARGEST", "MEAN",      "DEPTH"};

namespace {

// Each figure as a number where larger is worse; false when the view has no
// such figure (nothing covered, or not by both).
bool badness(const ComparisonReport& r, int figure, double* value) {
    const bool compared = r.both > 0;
    switch (figure) {
        case 0:
            if (!r.iou) return false;
            *value = 1.0 - *r.iou;
            return true;
        case 1:
            *value = static_cast<double>(r.differing());
            return true;
        case 2:
            *value = static_cast<double>(r.pixelsOverOneStep);
            return true;
        case 3:
            *value = *std::max_element(r.maxStepDifference.begin(), r.maxStepDifference.end());
            return compared;
        case 4:
            *value = *std::max_element(r.meanStepDifference.begin(), r.meanStepDifference.end());
            return compared;
        default:
            *value = r.maxDepthDifference;
            return compared;
    }
}

// The figure as reported: IoU itself rather than 1 - IoU.
double shownValue(int figure, double badnessValue) {
    return figure == 0 ? 1.0 - badnessValue : badnessValue;
}

}  // namespace

void SweepSummary::add(std::size_t index, const ViewResult& result, const DifferingLimit* limit) {
    ++views;
    if (result.crossesNearPlane) {
        ++crossingNearPlane;
        return;
    }
    const ComparisonReport& r = result.report;
    if (limit && limit->exceeded(r.differing(), r.covered())) ++overLimit;
    for (int figure = 0; figure < kSweepFigureCount; ++figure) {
        double value = 0.0;
        if (!badness(r, figure, &value)) continue;
        Worst& w = worst[figure];
        // A NaN depth difference counts as the worst there can be.
        if (w.index < 0 || value > w.value || (value != value && w.value == w.value)) {
            w.index = static_cast<long>(index);
            w.value = value;
        }
    }
}

std::vector<std::size_t> SweepSummary::worstViews() const {
    std::vector<std::size_t> views;
    for (const Worst& w : worst) {
        if (w.index < 0 || w.value == 0.0) continue;
        const std::size_t index = static_cast<std::size_t>(w.index);
        if (std::find(views.begin(), views.end(), index) == views.end()) views.push_back(index);
    }
    return views;
}

std::string viewJsonLine(std::size_t index, const ViewResult& result, const DifferingLimit* limit) {
    const View& v = result.view;
    std::string text =
        "{\"view\": " + std::to_string(index) + ", \"angle_z\": " + jsonNumber(v.angleZ) +
        ", \"angle_x\": " + jsonNumber(v.angleX) + ", \"zoom\": " + jsonNumber(v.zoom) +
        ", \"pan_x\": " + jsonNumber(v.panX) + ", \"pan_y\": " + jsonNumber(v.panY) +
        ", \"crosses_near_plane\": " + (result.crossesNearPlane ? "true" : "false") + ", " +
        reportJsonMembers(result.report);
    if (limit) text += ", " + limitVerdictJsonMembers(*limit, result.report);
    return text + "}\n";
}

std::string summaryJsonLine(const SweepSummary& summary, const DifferingLimit* limit,
                            const std::string& members) {
    std::string text = "{\"summary\": {\"views\": " + std::to_string(summary.views) +
                       ", \"crossing_near_plane\": " + std::to_string(summary.crossingNearPlane);
    if (limit) {
        text += ", \"max_differing\": \"" + differingLimitText(*limit) +
                "\", \"over_limit\": " + std::to_string(summary.overLimit) +
                ", \"views_checked\": " + std::to_string(summary.views - summary.crossingNearPlane);
    }
    text += ", \"worst\": {";
    for (int figure = 0; figure < kSweepFigureCount; ++figure) {
        const SweepSummary::Worst& w = summary.worst[figure];
        if (figure > 0) text += ", ";
        text += "\"" + std::string(kSweepFigureNames[figure]) + "\": ";
        // A figure that is at its best in every view names no view.
        const std::string view = w.index < 0 || w.value == 0.0 ? "null" : std::to_string(w.index);
        text += w.index < 0 ? "null"
                            : "{\"view\": " + view +
                                  ", \"value\": " + jsonNumber(shownValue(figure, w.value)) + "}";
    }
    text += "}";
    if (!members.empty()) text += ", " + members;
    return text + "}}\n";
}

std::string sweepText(const std::vector<ViewResult>& results, const SweepSummary& summary,
                      const DifferingLimit* limit) {
    std::vector<std::string> names;
    std::vector<const ComparisonReport*> reports;
    for (std::size_t i = 0; i < results.size(); ++i) {
        names.push_back(std::to_string(i) + ": " + viewText(results[i].view) +
                        (results[i].crossesNearPlane ? " *" : ""));
        reports.push_back(&results[i].report);
    }
    std::string text = comparisonTable("view: angle-z angle-x zoom pan-x pan-y", names, reports);
    if (summary.crossingNearPlane > 0) {
        text +=
            "* crosses the near plane: drawn differently by design (the software path\n"
            "  keeps what lies between the eye and the near plane); not counted below\n";
    }
    text += "\n" + std::to_string(summary.views) + " views, " +
            std::to_string(summary.crossingNearPlane) + " crossing the near plane";
    if (limit) {
        text += ", " + std::to_string(summary.overLimit) + " over the limit of " +
                differingLimitText(*limit) + " differing pixels";
        if (summary.nothingChecked())
            text += "\nnothing checked: every view crosses the near plane";
    }
    text += "\n";
    static const char* const kLabels[kSweepFigureCount] = {
        "lowest intersection / union",  "most differing pixels",
        "most pixels off by over one",  "largest step difference",
        "largest mean step difference", "largest depth difference"};
    for (int figure = 0; figure < kSweepFigureCount; ++figure) {
        const SweepSummary::Worst& w = summary.worst[figure];
        char line[160];
        if (w.index < 0) {
            std::snprintf(line, sizeof line, "%-30s none\n", kLabels[figure]);
        } else if (w.value == 0.0) {
            std::snprintf(line, sizeof line, "%-30s %.9g in every view\n", kLabels[figure],
                          shownValue(figure, w.value));
        } else {
            std::snprintf(line, sizeof line, "%-30s %.9g at view %ld (%s)\n", kLabels[figure],
                          shownValue(figure, w.value), w.index,
                          viewText(results[static_cast<std::size_t>(w.index)].view).c_str());
        }
        text += line;
    }
    // Then the listed differing pixels of each view that has any.
    for (std::size_t i = 0; i < results.size(); ++i) {
        if (results[i].report.differingPixels.empty()) continue;
        text += "\nview " + names[i] + ": " + differingPixelsText(results[i].report);
    }
    return text;
}
