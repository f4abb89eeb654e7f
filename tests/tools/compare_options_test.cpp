#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/compare_options.h"

namespace {

TEST(CompareOptions, TakeTheSnapshotViewOptionsAJsonFlagAndAPicture) {
    ParsedCompareArguments parsed = parseCompareArguments({});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    EXPECT_FALSE(parsed.options.json);
    EXPECT_TRUE(parsed.options.pngPath.empty());
    EXPECT_EQ(parsed.options.frame.width, defaultSnapshotOptions().width);

    parsed = parseCompareArguments({"--width=64", "--height", "48", "--angle-z", "-75",
                                    "--zoom=2.25", "--js", "--pn", "c.png"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    EXPECT_EQ(parsed.options.frame.width, 64);
    EXPECT_EQ(parsed.options.frame.height, 48);
    EXPECT_EQ(parsed.options.frame.view.angleZ, -75.0f);
    EXPECT_EQ(parsed.options.frame.view.zoom, 2.25f);
    EXPECT_TRUE(parsed.options.json);
    EXPECT_EQ(parsed.options.pngPath, "c.png");

    EXPECT_EQ(parseCompareArguments({"--png", "c.png", "--version"}).outcome,
              CommandOutcome::Version);
    EXPECT_EQ(parseCompareArguments({"--json", "-h"}).outcome, CommandOutcome::Help);
}

TEST(CompareOptions, RejectSnapshotOnlyOptionsAndBadValuesWithOneLine) {
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{"--json=yes"}, "option '--json' takes no value"},
        {{"--renderer", "opengl"}, "unknown option '--renderer'"},
        {{"--color-pfm", "c.pfm"}, "unknown option '--color-pfm'"},
        {{"--width", "0"}, "--width must be between 1 and 16384"},
        {{"--angle-x", "nan"}, "expected a finite number"},
        {{"--png="}, "--png needs a file name"},
        {{"--png"}, "option '--png' needs a value"},
        {{"report.txt"}, "unexpected argument 'report.txt'"},
        {{"--p", "c.png"}, "option '--p' is ambiguous: it may be '--pan-x', '--pan-y', '--png'"},
    };
    for (const auto& bad : cases) {
        const ParsedCompareArguments parsed = parseCompareArguments(bad.args);
        EXPECT_EQ(parsed.outcome, CommandOutcome::Error) << bad.expected;
        EXPECT_NE(parsed.error.find(bad.expected), std::string::npos) << parsed.error;
        EXPECT_EQ(parsed.error.find('\n'), std::string::npos) << parsed.error;
    }
    EXPECT_NE(compareUsage().find("max_depth_difference"), std::string::npos);
}

}  // namespace
