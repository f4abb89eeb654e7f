// The sweep over views: which view is worst by each figure.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "examine/renderer_comparison.h"
#include "tools/compare/differing_limit.h"
#include "tools/compare/view_sweep.h"

namespace {

// The sweep's summary over three views: the worst view counted by each
// figure, a view through the near plane left out of both, and a figure at its
// best in every view naming none.
TEST(ViewSweep, SummaryNamesTheWorstCountedViewByEachFigure) {
    const auto view = [](long softwareOnly, long both, double depth, bool nearPlane) {
        ViewResult result;
        result.crossesNearPlane = nearPlane;
        ComparisonReport& r = result.report;
        r.both = both;
        r.softwareOnly = softwareOnly;
        r.iou = static_cast<double>(both) / static_cast<double>(both + softwareOnly);
        r.maxStepDifference = {1, 1, 0};
        r.maxDepthDifference = depth;
        return result;
    };
    const ViewResult views[] = {view(2, 98, 0.5, false), view(0, 50, 0.75, false),
                                view(40, 10, 0.9, true)};
    const DifferingLimit limit{1.0, false};
    SweepSummary summary;
    for (std::size_t v = 0; v < 3; ++v) summary.add(v, views[v], &limit);
    EXPECT_EQ(summary.views, 3u);
    EXPECT_EQ(summary.crossingNearPlane, 1u);
    EXPECT_EQ(summary.overLimit, 1u);      // view 0: 2 differing pixels over 1
    EXPECT_EQ(summary.worst[0].index, 0);  // intersection over union 0.98
    EXPECT_EQ(summary.worst[1].index, 0);  // differing
    EXPECT_EQ(summary.worst[5].index, 1);  // depth 0.75; the 0.9 crosses the near plane
    EXPECT_EQ(summary.worstViews(), (std::vector<std::size_t>{0, 1}));
    const std::string json = summaryJsonLine(summary, &limit);
    EXPECT_NE(json.find("\"pixels_over_one_step\": {\"view\": null, \"value\": 0}"),
              std::string::npos)
        << json;
    EXPECT_NE(json.find("\"over_limit\": 1"), std::string::npos) << json;
}

}  // namespace
