#pragma once

#include <string>
#include <vector>

#include "examine/renderer_comparison.h"

// One step of the difference ladder: the comparison after the rule named
// `step` was switched on, on top of the steps before it ("specified" for
// the software picture as specified, with no rule switched).
struct LadderRow {
    std::string step;
    ComparisonReport report;
};

// The ladder as a table for people, one line per step, with a header; then
// each step's listed differing pixels, when the reports list them.
std::string ladderText(const std::vector<LadderRow>& rows);

// The ladder as the JSON member "ladder": a list of objects, each with the
// keys of the single report plus "step".
std::string ladderJsonMember(const std::vector<LadderRow>& rows);

// The same columns for any list of comparisons: a header and one line per
// row, the first column holding names[i]; pixels over the tolerance get a
// column of their own when the tolerance is not 1.
std::string comparisonTable(const std::string& nameHeader, const std::vector<std::string>& names,
                            const std::vector<const ComparisonReport*>& reports);
