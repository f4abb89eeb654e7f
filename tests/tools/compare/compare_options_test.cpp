#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "temp_dir.h"
#include "tools/compare/compare_options.h"

namespace {

TEST(CompareOptions, TakeTheSnapshotViewOptionsAJsonFlagAndAPicture) {
    ParsedCompareArguments parsed = parseCompareArguments({});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    EXPECT_FALSE(parsed.options.json);
    EXPECT_TRUE(parsed.options.pngPath.empty());
    EXPECT_EQ(parsed.options.frame.width, defaultRenderOptions().width);

    parsed = parseCompareArguments({"--width=64", "--height", "48", "--angle-z", "-75",
                                    "--zoom=2.25", "--js", "--pn", "c.png"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    EXPECT_EQ(parsed.options.frame.width, 64);
    EXPECT_EQ(parsed.options.frame.height, 48);
    EXPECT_EQ(parsed.options.frame.view.angleZ, -75.0f);
    EXPECT_EQ(parsed.options.frame.view.zoom, 2.25f);
    EXPECT_TRUE(parsed.options.json);
    EXPECT_EQ(parsed.options.pngPath, "c.png");

    // Sweeps start from the view the options give, wherever --views stands.
    parsed = parseCompareArguments({"--views=turntable:4", "--angle-x", "-30", "--zoom", "1"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    ASSERT_EQ(parsed.options.views.size(), 4u);
    const float turns[] = {-135.0f, -45.0f, 45.0f, 135.0f};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(parsed.options.views[i].angleZ, turns[i]);
        EXPECT_EQ(parsed.options.views[i].angleX, -30.0f);
        EXPECT_EQ(parsed.options.views[i].zoom, 1.0f);
    }
    parsed = parseCompareArguments({"--views", "grid:2,3"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    ASSERT_EQ(parsed.options.views.size(), 6u);
    EXPECT_EQ(parsed.options.views[4].angleZ, 45.0f);  // second turn, second tilt
    EXPECT_EQ(parsed.options.views[4].angleX, 60.0f);
    const TempDir dir("rasterwork-compare-views-");
    std::ofstream(dir.path() + "/views") << "  # a comment line\n\n10 -20 0.5 3 -4 # ok\n";
    parsed = parseCompareArguments({"--views", dir.path() + "/views"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    ASSERT_EQ(parsed.options.views.size(), 1u);
    EXPECT_EQ(parsed.options.views[0].panY, -4.0f);
    EXPECT_FALSE(parsed.options.gated());
    EXPECT_TRUE(parseCompareArguments({"--like-reference", "vertex"}).options.gated());
    EXPECT_TRUE(parseCompareArguments({"--max-differing", "0.5%"}).options.gated());

    // --fit-rules fits over the start view and a turntable unless given views.
    parsed = parseCompareArguments({"--fit-rules", "--angle-z", "10"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    ASSERT_EQ(parsed.options.views.size(), 13u);
    EXPECT_EQ(parsed.options.views[1].angleZ, 25.0f);
    EXPECT_FALSE(parsed.options.gated());
    parsed = parseCompareArguments({"--fit-rules", "--views", "turntable:2", "--tolerance", "0"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    EXPECT_EQ(parsed.options.views.size(), 2u);

    parsed = parseCompareArguments(
        {"--list-differing", "7", "--png", "c.png", "--amplify", "16", "--cause-png", "k.png"});
    ASSERT_EQ(parsed.outcome, CommandOutcome::Run) << parsed.error;
    EXPECT_EQ(parsed.options.listDiffering, 7);
    EXPECT_EQ(parsed.options.amplify, 16);
    EXPECT_EQ(parsed.options.causePngPath, "k.png");
    EXPECT_TRUE(parsed.options.ladder) << "the cause map draws the ladder";

    EXPECT_EQ(parseCompareArguments({"--png", "c.png", "--version"}).outcome,
              CommandOutcome::Version);
    EXPECT_EQ(parseCompareArguments({"--json", "-h"}).outcome, CommandOutcome::Help);
}

TEST(CompareOptions, RejectSnapshotOnlyOptionsAndBadValuesWithOneLine) {
    const TempDir dir("rasterwork-compare-options-");
    const std::string views = dir.path() + "/views";
    std::ofstream(views) << "# angle-z angle-x zoom pan-x pan-y\n-135 -60 0.25 0 0\n10 20 30\n";
    const std::string empty = dir.path() + "/empty";
    std::ofstream(empty) << "# nothing\n\n";
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
        {{"--like-reference", "sampling,shadows"}, "unknown rule 'shadows'"},
        {{"--like-reference", ""}, "unknown rule ''"},
        {{"--like-reference", "subpixel=0"}, "invalid grid 'subpixel=0'"},
        {{"--like-reference", "vertex,subpixel=9"}, "expected one subpixel or subpixel=BITS"},
        {{"--like-reference", "subpixel=4,subpixel"}, "invalid grid 'subpixel'"},
        {{"--fit-rules", "--like-reference", "all"}, "--fit-rules tries the rules itself"},
        {{"--fit-rules", "--ladder"}, "leave out --ladder"},
        {{"--fit-rules", "--png", "c.png"}, "leave out --png"},
        {{"--fit-rules", "--max-differing", "1"}, "leave out --max-differing"},
        {{"--fit-rules", "--views", "turntable:0"}, "expected turntable:N"},
        {{"--tolerance", "256"}, "--tolerance must be between 0 and 255"},
        {{"--tolerance", "-1"}, "--tolerance must be between 0 and 255"},
        {{"--max-differing", "ten"}, "invalid value 'ten' for --max-differing"},
        {{"--max-differing", "101%"}, "invalid value '101%' for --max-differing"},
        {{"--max-differing", "1.5"}, "invalid value '1.5' for --max-differing"},
        {{"--max-differing", "-1"}, "invalid value '-1' for --max-differing"},
        {{"--ladder", "--like-reference", "all"}, "leave out --like-reference"},
        {{"--ladder", "--views", "turntable:4"}, "--ladder and --views cannot be combined"},
        {{"--views", "turntable:0"}, "expected turntable:N with N a whole number from 1"},
        {{"--views", "turntable:"}, "expected turntable:N"},
        {{"--views", "turntable:1e3"}, "expected turntable:N"},
        {{"--views", "grid:3"}, "expected grid:NZ,NX"},
        {{"--views", "grid:100,101"}, "at most 10000 views"},
        {{"--views", views}, "line 3: expected five numbers"},
        {{"--views", empty}, "holds no view"},
        {{"--views", dir.path() + "/missing"}, "cannot read the views file"},
        {{"--list-differing", "0"}, "--list-differing must be between 1 and 2147483647"},
        {{"--list-differing", "-3"}, "--list-differing must be between 1 and"},
        {{"--list-differing", "ten"}, "invalid value 'ten' for --list-differing"},
        {{"--list-differing", "1.5"}, "invalid value '1.5' for --list-differing"},
        {{"--list-differing", ""}, "invalid value '' for --list-differing"},
        {{"--list-differing", "99999999999"}, "--list-differing must be between 1 and"},
        {{"--png", "c.png", "--amplify", "0"}, "--amplify must be between 1 and 255"},
        {{"--png", "c.png", "--amplify", "-4"}, "--amplify must be between 1 and 255"},
        {{"--png", "c.png", "--amplify", "256"}, "--amplify must be between 1 and 255"},
        {{"--png", "c.png", "--amplify", "x4"}, "invalid value 'x4' for --amplify"},
        {{"--png", "c.png", "--amplify", "2.5"}, "invalid value '2.5' for --amplify"},
        {{"--amplify", "4"}, "--amplify changes the --png picture's maps; give --png too"},
        {{"--cause-png", ""}, "--cause-png needs a file name"},
        {{"--cause-png", "c.png", "--views", "turntable:4"},
         "--cause-png and --views cannot be combined"},
        {{"--cause-png", "c.png", "--like-reference", "all"},
         "--cause-png switches on every rule in turn; leave out --like-reference"},
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
