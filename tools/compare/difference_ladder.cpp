#include "tools/compare/difference_ladder.h"

#include <algorithm>
#include <cstdio>

namespace {

std::string formatted(const char* pattern, double a, double b, double c) {
    char text[96];
    std::snprintf(text, sizeof text, pattern, a, b, c);
    return text;
}

// One line of the table; the last column only when the tolerance is not 1,
// where it would repeat the one before.
std::string row(const std::string& name, std::size_t nameWidth,
                const std::vector<std::string>& columns, bool withTolerance) {
    static const int kWidths[] = {7, 8, 9, 9, 18, 13, 9, 9};
    char text[64];
    std::snprintf(text, sizeof text, "%-*s", static_cast<int>(nameWidth), name.c_str());
    std::string line = text;
    for (std::size_t i = 0; i < columns.size(); ++i) {
        if (i == 7 && !withTolerance) break;
        std::snprintf(text, sizeof text, " %*s", kWidths[i], columns[i].c_str());
        line += text;
    }
    return line + "\n";
}

}  // namespace

std::string comparisonTable(const std::string& nameHeader, const std::vector<std::string>& names,
                            const std::vector<const ComparisonReport*>& reports) {
    std::size_t nameWidth = nameHeader.size();
    for (const std::string& name : names) nameWidth = std::max(nameWidth, name.size());
    const int tolerance = reports.empty() ? 1 : reports.front()->tolerance;
    const bool withTolerance = tolerance != 1;
    std::string text = row(nameHeader, nameWidth,
                           {"both", "sw only", "ref only", "IoU", "mean step r g b",
                            "largest r g b", "> 1 step", "> " + std::to_string(tolerance)},
                           withTolerance);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        const ComparisonReport& r = *reports[i];
        const bool compared = r.both > 0;
        char iou[32] = "none";
        if (r.iou) std::snprintf(iou, sizeof iou, "%.6f", *r.iou);
        text += row(names[i], nameWidth,
                    {std::to_string(r.both), std::to_string(r.softwareOnly),
                     std::to_string(r.referenceOnly), iou,
                     compared ? formatted("%5.2f %5.2f %5.2f", r.meanStepDifference[0],
                                          r.meanStepDifference[1], r.meanStepDifference[2])
                              : "-",
                     compared ? formatted("%3.0f %3.0f %3.0f", r.maxStepDifference[0],
                                          r.maxStepDifference[1], r.maxStepDifference[2])
                              : "-",
                     std::to_string(r.pixelsOverOneStep), std::to_string(r.pixelsOverTolerance)},
                    withTolerance);
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
    std::string text = comparisonTable("step", names, reports);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const std::string listed = differingPixelsText(rows[i].report);
        if (!listed.empty()) text += "\nstep " + names[i] + ": " + listed;
    }
    return text;
}

std::string ladderJsonMember(const std::vector<LadderRow>& rows) {
    std::string text = "\"ladder\": [";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (i > 0) text += ", ";
        text += "{\"step\": \"" + rows[i].step + "\", " + reportJsonMembers(rows[i].report) + "}";
    }
    return text + "]";
}
