// rasterwork-explain's command line, and what it says without a display.
#include <gtest/gtest.h>

#include "child_process.h"
#include "run_tool.h"
#include "silent_x_server.h"
#include "temp_dir.h"
#include "tools/explain/explain_options.h"

namespace {

std::string describe(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args) text += "[" + a + "]";
    return text;
}

// Each is refused by the parser with this part of the message, and by the
// program with status 2, one line and nothing written.
TEST(ExplainCommand, RefusesEveryBadPixelWithOneLine) {
    const struct {
        std::vector<std::string> args;
        std::string expected;
    } cases[] = {
        {{}, "missing the pixel: give its column X and row Y"},
        {{"3"}, "missing the pixel's row Y after the column X"},
        {{"3", "4", "5"}, "unexpected argument '5'"},
        {{"x", "4"}, "invalid column X 'x': expected a whole number"},
        {{"3", "4.5"}, "invalid row Y '4.5': expected a whole number"},
        {{"3", ""}, "invalid row Y '': expected a whole number"},
        {{"99999999999", "4"}, "invalid column X '99999999999'"},
        {{"480", "0"},
         "pixel 480, 0 is outside the 480 x 480 frame (columns 0 to 479, rows 0 to 479)"},
        {{"--width", "10", "--height=8", "9", "8"}, "pixel 9, 8 is outside the 10 x 8 frame"},
        {{"--", "-1", "0"}, "pixel -1, 0 is outside"},
        {{"-1", "0"}, "unknown option '-1'"},
        {{"--json=1", "1", "1"}, "option '--json' takes no value"},
        {{"--face", "3:0"}, "--face 3:0: the scene has no object 3 (objects 0 to 2)"},
        {{"--face", "2:144"}, "object 2 has no face 144 (faces 0 to 143)"},
        {{"--face", "0:1:2"}, "for --face: expected OBJECT:FACE, whole numbers from 0"},
        {{"--face", "a:1"}, "for --face: expected OBJECT:FACE"},
        {{"--face", "0:1", "5"}, "missing the pixel's row Y after the column X"},
    };
    const TempDir temp("rasterwork-explain-cli-");
    for (const auto& bad : cases) {
        const ParsedExplainArguments parsed = parseExplainArguments(bad.args);
        EXPECT_EQ(parsed.outcome, CommandOutcome::Error) << describe(bad.args);
        EXPECT_NE(parsed.error.find(bad.expected), std::string::npos)
            << describe(bad.args) << " gave: " << parsed.error;

        std::vector<std::string> argv = {RW_EXPLAIN_BINARY, "--crop-png", "crop.png"};
        argv.insert(argv.end(), bad.args.begin(), bad.args.end());
        const ToolRun run = runTool(argv, temp.path());
        EXPECT_EQ(run.status, 2) << describe(bad.args) << run.err;
        EXPECT_EQ(run.err, "rasterwork-explain: " + parsed.error + "\n");
        EXPECT_EQ(run.out, "");
        EXPECT_TRUE(listDirectory(temp.path()).empty()) << describe(bad.args);
    }
}

// Explaining the software side needs no X server: it is printed in full, with
// one line saying why the reference is missing, and the run succeeds.
// Where the reference cannot reach OpenGL at all (no X display and, or, no
// EGL), the software side is explained in full and the run succeeds.
TEST(ExplainCommand, WithoutOpenGLExplainsTheSoftwareSide) {
    const std::vector<std::string> noEgl = {
        "__EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent/egl_vendor.json"};
    const struct {
        const char* platform;
        std::vector<std::string> env;
    } cases[] = {{"x11", {}}, {"egl", noEgl}, {"auto", noEgl}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.platform);
        const TempDir temp("rasterwork-explain-cli-");
        const std::vector<std::string> pixel = {"--gl-platform", c.platform, "--width", "160",
                                                "--height",      "120",      "39",      "83"};
        std::vector<std::string> argv = {RW_EXPLAIN_BINARY, "--crop-png", "crop.png"};
        argv.insert(argv.end(), pixel.begin(), pixel.end());
        const ToolRun text = runTool(argv, temp.path(), "", 60.0, {}, "", c.env);
        EXPECT_EQ(text.status, 0) << text.err;
        EXPECT_EQ(text.err, "");
        EXPECT_NE(text.out.find("2 fragment(s) reached the depth test, 2 passed"),
                  std::string::npos)
            << text.out;
        EXPECT_NE(text.out.find("passed, later replaced"), std::string::npos) << text.out;
        EXPECT_NE(text.out.find("reference renderer: not drawn, "), std::string::npos) << text.out;
        EXPECT_EQ(listDirectory(temp.path()), std::vector<std::string>{"crop.png"});

        argv = {RW_EXPLAIN_BINARY, "--json"};
        argv.insert(argv.end(), pixel.begin(), pixel.end());
        const ToolRun json = runTool(argv, temp.path(), "", 60.0, {}, "", c.env);
        EXPECT_EQ(json.status, 0) << json.err;
        EXPECT_EQ(countLines(json.out), 1);
        EXPECT_NE(json.out.find("\"reference\": null, \"reference_missing\": \""),
                  std::string::npos)
            << json.out;
        EXPECT_NE(json.out.find("\"reference_implementation\": null"), std::string::npos)
            << json.out;
    }
}

// A server that takes the connection and never answers is as good as none:
// the software side in full, the reference missing for that reason, within
// the bound.
TEST(ExplainCommand, ADisplayThatNeverAnswersExplainsTheSoftwareSide) {
#ifdef RW_TOOLS_HEADLESS
    GTEST_SKIP() << "this build has no OpenGL renderer";
#endif
    const SilentXServer server;
    ASSERT_TRUE(server.ok());
    const TempDir temp("rasterwork-explain-cli-");
    const std::vector<std::string> pixel = {"--width", "160", "--height", "120", "39", "83"};
    const std::vector<std::string> environment = {"RASTERWORK_SNAPSHOT_X_TIMEOUT=2"};
    struct Case {
        const char* platform;
        const char* reasonLine;  // nullptr: the reference is drawn off screen, as without X
    } cases[] = {
        {"x11",
         "reference renderer: not drawn, the X server at '%s' did not answer within 2 s "
         "(opening the display)"},
        {"auto", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.platform);
        std::vector<std::string> argv = {RW_EXPLAIN_BINARY, "--gl-platform", c.platform};
        argv.insert(argv.end(), pixel.begin(), pixel.end());
        const ToolRun none = runTool(argv, temp.path());
        const ToolRun silent =
            runTool(argv, temp.path(), server.display(), 20.0, {}, "", environment);
        ASSERT_TRUE(silent.finished) << "still waiting on the server after 20 s";
        EXPECT_EQ(silent.status, 0) << silent.err;
        EXPECT_EQ(silent.err, "");
        if (c.reasonLine == nullptr) {
            EXPECT_EQ(silent.out, none.out);
            continue;
        }
        std::string reason = c.reasonLine;
        reason.replace(reason.find("%s"), 2, server.display());
        EXPECT_NE(silent.out.find(reason), std::string::npos) << silent.out;
        // Up to that line, what it says without any display.
        const std::string software = none.out.substr(0, none.out.find("reference renderer:"));
        EXPECT_EQ(silent.out.substr(0, software.size()), software);
    }
}

}  // namespace
