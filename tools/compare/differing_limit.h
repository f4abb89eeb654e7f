#pragma once

#include <string>

#include "examine/renderer_comparison.h"

// How many pixels may differ before a comparison counts as over the limit:
// a count, or a percentage of the pixels covered by either renderer.
struct DifferingLimit {
    double value = 0.0;
    bool percent = false;

    // Whether `differing` of `covered` pixels is more than the limit allows.
    bool exceeded(long differing, long covered) const;
};

// Reads "N" (a whole number, 0 or more) or "P%" (a number from 0 to 100).
// False with one line in *error for anything else.
bool parseDifferingLimit(const std::string& text, DifferingLimit* limit, std::string* error);

// The limit as it was written: "250" or "0.1%".
std::string differingLimitText(const DifferingLimit& limit);

// The verdict on one comparison, for people: one line naming the limit, the
// differing pixels and whether they are within it.
std::string limitVerdictText(const DifferingLimit& limit, const ComparisonReport& report);

// The same as JSON members: "max_differing" (the limit as written),
// "differing" and "within_limit".
std::string limitVerdictJsonMembers(const DifferingLimit& limit, const ComparisonReport& report);
