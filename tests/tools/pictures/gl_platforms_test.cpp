// The reference drawn off screen through EGL and in a window through GLX on
// Xvfb: the same bytes, colour floats and depth floats on a table of views,
// and the same reports but for the platform they name.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "temp_dir.h"
#include "xvfb_server.h"

namespace {

struct ViewCase {
    const char* name;
    std::vector<std::string> args;
    const char* driver;  // GALLIUM_DRIVER
};

// The default view, turned, tilted edge-on and from below, panned half out
// of the frame, zoomed through the near plane, at odd and large sizes, and
// under both of Mesa's software implementations.
const ViewCase kViews[] = {
    {"default", {}, "llvmpipe"},
    {"turned", {"--angle-z", "-75", "--angle-x", "-30", "--zoom", "2.25"}, "llvmpipe"},
    {"edge-on", {"--angle-z", "-90", "--angle-x", "-80"}, "llvmpipe"},
    {"from below", {"--angle-x", "-120"}, "llvmpipe"},
    {"flat", {"--angle-z", "45", "--angle-x", "0"}, "llvmpipe"},
    {"panned",
     {"--width", "333", "--height", "97", "--pan-x", "140", "--pan-y", "-30"},
     "llvmpipe"},
    {"through the near plane", {"--zoom", "11", "--angle-z", "10"}, "llvmpipe"},
    {"large",
     {"--width", "1024", "--height", "768", "--angle-z", "190", "--angle-x", "-80"},
     "llvmpipe"},
    {"default, softpipe", {}, "softpipe"},
    {"turned, softpipe", {"--angle-z", "-75", "--angle-x", "-30", "--zoom", "2.25"}, "softpipe"},
    {"odd size, softpipe", {"--width", "201", "--height", "143", "--angle-x", "-120"}, "softpipe"},
};

class GlPlatforms : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(xvfb_.ok()) << xvfb_.error(); }

    // Runs a tool through `platform`: EGL with DISPLAY unset, X on the Xvfb.
    ToolRun run(std::vector<std::string> args, const std::string& platform,
                const char* driver = "llvmpipe") {
        args.insert(args.begin() + 1, {"--gl-platform", platform});
        const ToolRun result = runTool(args, dir_.path(), platform == "x11" ? xvfb_.display() : "",
                                       120.0, {}, "", {std::string("GALLIUM_DRIVER=") + driver});
        EXPECT_TRUE(result.finished);
        EXPECT_EQ(result.status, 0) << platform << ": " << result.err;
        EXPECT_EQ(result.err, "") << platform;
        return result;
    }

    XvfbServer xvfb_;
    TempDir dir_{"rasterwork-gl-platforms-"};
};

TEST_F(GlPlatforms, TheSameBytesColourFloatsAndDepthFloatsOnBoth) {
    const char* const files[] = {"picture.png", "color.pfm", "depth.pfm"};
    for (const ViewCase& view : kViews) {
        SCOPED_TRACE(view.name);
        std::string content[2][3];
        const char* const platforms[] = {"egl", "x11"};
        for (int p = 0; p < 2; ++p) {
            std::vector<std::string> args = {snapshotBinary(), "--renderer",  "opengl",
                                             "--png",          files[0],      "--color-pfm",
                                             files[1],         "--depth-pfm", files[2]};
            args.insert(args.end(), view.args.begin(), view.args.end());
            run(args, platforms[p], view.driver);
            for (int f = 0; f < 3; ++f) content[p][f] = readFile(dir_.path() + "/" + files[f]);
        }
        for (int f = 0; f < 3; ++f) {
            EXPECT_GT(content[0][f].size(), 100u) << files[f];
            EXPECT_TRUE(content[0][f] == content[1][f]) << files[f] << " differs";
        }
    }
}

// Every view of a views file in one run each: the reports agree line by
// line, but for the platform the summary names. Under Xvfb, auto still
// takes EGL.
TEST_F(GlPlatforms, TheSameReportsButForThePlatformTheyName) {
    std::ofstream views(dir_.path() + "/table.views");
    views << "-135 -60 0.25 0 0\n-75 -30 2.25 0 0\n-90 -80 0.25 0 0\n-135 -120 0.25 0 0\n"
             "45 0 0.25 0 0\n-135 -60 0.25 140 -30\n10 -60 11 0 0\n190 -80 0.25 0 0\n";
    views.close();
    const std::vector<std::string> compare = {
        RW_COMPARE_BINARY, "--width", "240", "--height", "180", "--views", "table.views", "--json"};
    const ToolRun egl = run(compare, "egl");
    const ToolRun x11 = run(compare, "x11");
    const ToolRun automatic = runTool(compare, dir_.path(), xvfb_.display());
    ASSERT_EQ(automatic.status, 0) << automatic.err;

    const auto lines = [](const std::string& text) {
        std::vector<nlohmann::json> parsed;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            parsed.push_back(nlohmann::json::parse(line));
        return parsed;
    };
    std::vector<nlohmann::json> a = lines(egl.out), b = lines(x11.out), c = lines(automatic.out);
    ASSERT_EQ(a.size(), 9u);
    ASSERT_EQ(b.size(), a.size());
    ASSERT_EQ(c.size(), a.size());
    nlohmann::json& found = a.back()["summary"]["reference_implementation"];
    EXPECT_EQ(found["platform"], "egl");
    EXPECT_EQ(b.back()["summary"]["reference_implementation"]["platform"], "x11");
    EXPECT_EQ(c.back()["summary"]["reference_implementation"]["platform"], "egl");
    found["platform"] = "x11";
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_EQ(a[i], b[i]) << "line " << i;

    for (const char* pixel : {"40", "90"}) {
        const std::vector<std::string> explain = {
            RW_EXPLAIN_BINARY, "--width", "160", "--height", "120", "--json", pixel, "60"};
        nlohmann::json e = nlohmann::json::parse(run(explain, "egl").out);
        const nlohmann::json x = nlohmann::json::parse(run(explain, "x11").out);
        EXPECT_EQ(e["reference_implementation"]["platform"], "egl");
        e["reference_implementation"]["platform"] = "x11";
        EXPECT_EQ(e, x);
    }
}

}  // namespace
