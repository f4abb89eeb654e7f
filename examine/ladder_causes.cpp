#include "examine/ladder_causes.h"

#include <cstdlib>

std::string causeName(int cause) {
    if (cause == 0) return "specified";
    if (cause > 0 && cause <= kReferenceRuleCount) return kReferenceRuleNames[cause - 1];
    if (cause == kCauseUnexplained) return "unexplained";
    return "not covered";
}

StepMatch matchPixel(bool stepCovers, const std::uint8_t* stepBytes, bool targetCovers,
                     const std::uint8_t* targetBytes, int tolerance) {
    if (stepCovers != targetCovers) return StepMatch::Differs;
    if (!stepCovers) return StepMatch::NeitherCovers;
    for (int c = 0; c < 3; ++c) {
        if (std::abs(stepBytes[c] - targetBytes[c]) > tolerance) return StepMatch::Differs;
    }
    return StepMatch::Within;
}

LadderCauses::LadderCauses(std::size_t pixels) : since_(pixels, kNeverCovered) {}

std::vector<std::int8_t> LadderCauses::causes() const {
    std::vector<std::int8_t> causes(since_.size());
    for (std::size_t i = 0; i < since_.size(); ++i) {
        const std::int8_t since = since_[i];
        causes[i] = since == kDiffering      ? std::int8_t{kCauseUnexplained}
                    : since == kNeverCovered ? std::int8_t{kCauseNotCovered}
                                             : since;
    }
    return causes;
}

std::array<long, kCauseCount> LadderCauses::counts() const {
    std::array<long, kCauseCount> counts{};
    for (const std::int8_t cause : causes()) {
        if (cause >= 0) ++counts[static_cast<std::size_t>(cause)];
    }
    return counts;
}
