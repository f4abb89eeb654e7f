#include "tools/difference_ladder.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string formatted(const char* pattern, double a, double b, double c) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

std::string row(const std::string& name, std::size_t nameWidth, const std::string& both,
                const std::string& softwareOnly, const std::string& referenceOnly,
                const std::string& iou, const std::string& mean, const std::string& largest,
                const std::string& overOne, const std::string& overTolerance) {
    char text[256];
    std::snprintf(text, sizeof text, "%-*s %7s %8s %9s %9s %18s %12s %8s %8s\n",
                  static_cast<int>(nameWidth), name.c_str(), both.c_str(), softwareOnly.c_str(),
                  referenceOnly.c_str(), iou.c_str(), mean.c_str(), largest.c_str(),
                  overOne.c_str(), overTolerance.c_str());
    return text;
}

}  // namespace

std::string comparisonTable(const std::string& nameHeader, const std::vector<std::string>& names,
                            const std::vector<const ComparisonReport*>& reports) {
    std::size_t nameWidth = nameHeader.size();
    for (const std::string& name : names) nameWidth = std::max(nameWidth, name.size());
    const int tolerance = reports.empty() ? 1 : reports.front()->tolerance;
    std::string text =
        row(nameHeader, nameWidth, "both", "sw only", "ref only", "IoU", "mean step (r g b)",
            "largest", "> 1 step", "> " + std::to_string(tolerance) + " tol");
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const ComparisonReport& r = *reports[i];
        const bool compared = r.both > 0;
        char iou[32] = "none";
        if (r.iou) std::snprintf(iou, sizeof iou, "%.6f", *r.iou);
        text += row(names[i], nameWidth, std::to_string(r.both), std::to_string(r.softwareOnly),
                    std::to_string(r.referenceOnly), iou,
                    compared ? formatted("%.2f %.2f %.2f", r.meanStepDifference[0],
                                         r.meanStepDifference[1], r.meanStepDifference[2])
                             : "-",
                    compared ? formatted("%.0f %.0f %.0f", r.maxStepDifference[0],
                                         r.maxStepDifference[1], r.maxStepDifference[2])
                             : "-",
                    std::to_string(r.pixelsOverOneStep), std::to_string(r.pixelsOverTolerance));
    }
    return text;
}

std::string ladderText(const std::vector<LadderRow>& rows) {
    std::vector<std::string> names;
    std::vector<const ComparisonReport*> reports;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        names.push_back(i == 0 ? rows[i].step : "+ " + rows[i].step);
        reports.push_back(&rows[i].report);
    }
    return comparisonTable("step", names, reports);
}

std::string ladderJsonMember(const std::vector<LadderRow>& rows) {
    std::string text = "\"ladder\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) text += ", ";
        text += "{\"step\": \"" + rows[i].step + "\", " + reportJsonMembers(rows[i].report) + "}";
    }
    return text + "]";
}
