#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

#include "examine/renderer_comparison.h"
#include "tools/compare/differing_limit.h"
#include "view/view.h"

// The comparison of one view of a sweep. A view whose geometry reaches
// nearer than the near plane is drawn differently by design (the software
// path keeps what lies between the eye and the near plane) and so takes no
// part in the worst views and the limit.
struct ViewResult {
    View view;
    bool crossesNearPlane = false;
    ComparisonReport report;
};

// The figures a sweep names the worst view by, in the order reported.
constexpr int kSweepFigureCount = 6;
extern const char* const kSweepFigureNames[kSweepFigureCount];
// The same, short and in capitals, for captions.
extern const char* const kSweepFigureCaptions[kSweepFigureCount];

// The worst view by each figure over the views that count, and how many
// views there were, crossed the near plane and, with a limit, were over it.
struct SweepSummary {
    std::size_t views = 0;
    std::size_t crossingNearPlane = 0;
    std::size_t overLimit = 0;
    struct Worst {
        long index = -1;  // -1: no view counted
        double value = 0.0;
    };
    std::array<Worst, kSweepFigureCount> worst;

    void add(std::size_t index, const ViewResult& result, const DifferingLimit* limit);
    // Every view crosses the near plane, so none counts.
    bool nothingChecked() const { return views == crossingNearPlane; }
    // The distinct views that are worst by some figure, in figure order;
    // a figure at its best (0, or intersection over union 1) in every view
    // names none.
    std::vector<std::size_t> worstViews() const;
};

// One JSON object on one line: "view" (its index), angle_z, angle_x, zoom,
// pan_x, pan_y, crosses_near_plane, the single report's keys and, with a
// limit, the verdict's.
std::string viewJsonLine(std::size_t index, const ViewResult& result, const DifferingLimit* limit);

// {"summary": {...}} on one line: views, crossing_near_plane, with a limit
// max_differing, over_limit and views_checked, and "worst", each figure's worst view and value
// (null when no view counted; the view null when the figure is at its best in every view), then
// `members` (JSON members, comma-separated) where not empty.
std::string summaryJsonLine(const SweepSummary& summary, const DifferingLimit* limit,
                            const std::string& members = "");

// The table of every view and the summary below it, for people; then the
// listed differing pixels of each view that has any.
std::string sweepText(const std::vector<ViewResult>& results, const SweepSummary& summary,
                      const DifferingLimit* limit);
