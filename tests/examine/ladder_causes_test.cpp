// The cause of a pixel from how each ladder step's picture meets the target
// there, worked out by hand for sequences that tell the rule apart from
// near misses (the first step within, rather than the step from which on).
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "examine/colour_scales.h"
#include "examine/ladder_causes.h"

namespace {

TEST(LadderCauses, APixelsCauseIsTheStepFromWhichOnItIsWithin) {
    constexpr StepMatch N = StepMatch::NeitherCovers;
    constexpr StepMatch W = StepMatch::Within;
    constexpr StepMatch D = StepMatch::Differs;
    const struct {
        const char* what;
        std::array<StepMatch, kLadderStepCount> steps;
        int cause;
    } cases[] = {
        {"never covered", {N, N, N, N, N, N, N, N, N}, kCauseNotCovered},
        {"within as specified", {W, W, W, W, W, W, W, W, W}, 0},
        {"covered from the third step on, within", {N, N, W, W, W, W, W, W, W}, 0},
        {"within from sampling on", {D, W, W, W, W, W, W, W, W}, 1},
        {"within at sampling, differing again, within from lights on",
         {D, W, D, W, W, W, W, W, W},
         3},
        {"covered by the specified picture only", {D, N, N, N, N, N, N, N, N}, 1},
        {"covered at one step only", {N, N, D, N, N, N, N, N, N}, 3},
        {"within only with the last rule", {D, D, D, D, D, D, D, D, W}, kReferenceRuleCount},
        {"within until the last rule", {W, W, W, W, W, W, W, W, D}, kCauseUnexplained},
        {"never within", {D, D, D, D, D, D, D, D, D}, kCauseUnexplained},
    };
    LadderCauses ladder(std::size(cases));
    for (int step = 0; step < kLadderStepCount; ++step) {
        ladder.takeStep([&](std::size_t i) { return cases[i].steps[step]; });
    }
    EXPECT_EQ(ladder.stepsTaken(), kLadderStepCount);
    const std::vector<std::int8_t> causes = ladder.causes();
    std::array<long, kCauseCount> expectedCounts{};
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(causes[i], cases[i].cause) << cases[i].what;
        if (cases[i].cause >= 0) ++expectedCounts[cases[i].cause];
    }
    EXPECT_EQ(ladder.counts(), expectedCounts);
}

TEST(LadderCauses, PixelsMatchByCoverageAndTolerance) {
    const std::uint8_t grey[3] = {100, 100, 100};
    const std::uint8_t twoOff[3] = {100, 102, 99};
    const struct {
        bool stepCovers;
        const std::uint8_t* step;
        bool targetCovers;
        const std::uint8_t* target;
        int tolerance;
        StepMatch match;
    } cases[] = {
        {false, nullptr, false, nullptr, 1, StepMatch::NeitherCovers},
        {true, grey, false, nullptr, 255, StepMatch::Differs},
        {false, nullptr, true, grey, 255, StepMatch::Differs},
        {true, grey, true, grey, 0, StepMatch::Within},
        {true, grey, true, twoOff, 1, StepMatch::Differs},
        {true, twoOff, true, grey, 2, StepMatch::Within},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(matchPixel(c.stepCovers, c.step, c.targetCovers, c.target, c.tolerance), c.match)
            << c.stepCovers << c.targetCovers << " tolerance " << c.tolerance;
    }
}

// Names and colours tell every cause apart, and the white of nothing covered
// is none of them.
TEST(LadderCauses, EveryCauseHasItsOwnNameAndColour) {
    std::set<std::string> names;
    std::set<std::array<std::uint8_t, 3>> colours;
    for (int cause = 0; cause < kCauseCount; ++cause) {
        names.insert(causeName(cause));
        colours.insert(causeColour(cause));
    }
    EXPECT_EQ(names.size(), static_cast<std::size_t>(kCauseCount));
    EXPECT_EQ(colours.size(), static_cast<std::size_t>(kCauseCount));
    EXPECT_EQ(causeName(0), "specified");
    EXPECT_EQ(causeName(1), kReferenceRuleNames[0]);
    EXPECT_EQ(causeName(kCauseUnexplained), "unexplained");
    const std::array<std::uint8_t, 3> white = {255, 255, 255};
    EXPECT_EQ(colours.count(white), 0u);
    EXPECT_EQ(causeColour(kCauseNotCovered), white);
}

}  // namespace
