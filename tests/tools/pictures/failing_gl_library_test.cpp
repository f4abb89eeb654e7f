// A GL library that crashes, aborts or exits while EGL starts, or a driver
// that is not there: each tool says so in one line of its own with what the
// libraries said, status 1, and explain still explains the software side.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "temp_dir.h"
#include "xvfb_server.h"

namespace {

TEST(FailingGlLibrary, EndsInOneLineWithWhatTheLibrariesSaid) {
    const TempDir temp("rasterwork-failing-gl-");
    const std::string vendors = temp.path() + "/vendor.json";
    std::ofstream(vendors) << "{\"file_format_version\": \"1.0.0\", \"ICD\": {\"library_path\": \""
                           << RW_FAILING_EGL_VENDOR << "\"}}\n";
    const std::string failing = "__EGL_VENDOR_LIBRARY_FILENAMES=" + vendors;
    const std::vector<std::string> snapshot = {
        snapshotBinary(), "--renderer", "opengl", "--gl-platform", "egl", "--png", "r.png"};
    const std::vector<std::string> snapshotAuto = {snapshotBinary(), "--renderer", "opengl",
                                                   "--png", "r.png"};
    const std::vector<std::string> compare = {compareBinary()};
    const std::vector<std::string> explain = {RW_EXPLAIN_BINARY, "3", "3"};
    const std::string bothCauses = "no OpenGL for the reference: through EGL, ";
    const XvfbServer xvfb;
    ASSERT_TRUE(xvfb.ok()) << xvfb.error();
    const struct {
        std::vector<std::string> argv;
        std::vector<std::string> env;
        bool display;
        int status;
        std::string err;  // in the one line on standard error ("": nothing said)
        std::string out;  // in standard output
    } cases[] = {
        {snapshot,
         {failing, "RW_FAILING_EGL=abort"},
         false,
         1,
         "rasterwork-snapshot: cannot draw the reference through EGL: the OpenGL library crashed "
         "(SIGABRT, aborted) while starting EGL (the libraries said: failing EGL vendor: giving "
         "up)\n",
         ""},
        {snapshot,
         {failing, "RW_FAILING_EGL=segv"},
         false,
         1,
         "the OpenGL library crashed (SIGSEGV, segmentation fault) while starting EGL",
         ""},
        {snapshot,
         {failing, "RW_FAILING_EGL=exit"},
         false,
         1,
         "rasterwork-snapshot: the OpenGL library ended the program while starting EGL (the "
         "libraries said: failing EGL vendor: giving up)\n",
         ""},
        {compare,
         {"GALLIUM_DRIVER=virpipe"},
         false,
         1,
         bothCauses + "the OpenGL library crashed (SIGABRT, aborted) while starting EGL (the "
                      "libraries said: lost connection to rendering server",
         ""},
        {explain,
         {"GALLIUM_DRIVER=virpipe"},
         false,
         0,
         "",
         "reference renderer: not drawn, " + bothCauses + "the OpenGL library crashed"},
        {explain,
         {failing, "RW_FAILING_EGL=segv"},
         false,
         0,
         "",
         "reference renderer: not drawn, " + bothCauses + "the OpenGL library crashed"},
        // A driver that is not there, with an X display: both causes, as
        // without one.
        {snapshotAuto,
         {"GALLIUM_DRIVER=bogus"},
         true,
         1,
         "; through X, freeglut: Unable to create OpenGL",
         ""},
        {compare,
         {"GALLIUM_DRIVER=bogus"},
         true,
         1,
         "; through X, freeglut: Unable to create OpenGL",
         ""},
        {explain,
         {"GALLIUM_DRIVER=bogus"},
         true,
         0,
         "",
         "; through X, freeglut: Unable to create OpenGL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv[0] + " " + c.env.back() + (c.display ? " with a display" : ""));
        std::vector<std::string> argv = c.argv;
        argv.insert(argv.begin() + 1, {"--width", "8", "--height", "8"});
        const ToolRun run =
            runTool(argv, temp.path(), c.display ? xvfb.display() : "", 60.0, {}, "", c.env);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (c.err.empty()) {
            EXPECT_EQ(run.err, "");
            EXPECT_NE(run.out.find("software renderer: "), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(countLines(run.err), 1) << run.err;
            EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
        }
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_EQ(listDirectory(temp.path()), std::vector<std::string>{"vendor.json"});
    }
}

}  // namespace
