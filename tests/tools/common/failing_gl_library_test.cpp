// A GL library that crashes, aborts or exits while EGL starts: each tool
// says so in one line of its own with what the libraries said, status 1,
// and explain still explains the software side.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "run_tool.h"
#include "temp_dir.h"

namespace {

TEST(FailingGlLibrary, EndsInOneLineWithWhatTheLibrariesSaid) {
    const TempDir temp("rasterwork-failing-gl-");
    const std::string vendors = temp.path() + "/vendor.json";
    std::ofstream(vendors) << "{\"file_format_version\": \"1.0.0\", \"ICD\": {\"library_path\": \""
                           << RW_FAILING_EGL_VENDOR << "\"}}\n";
    const std::string failing = "__EGL_VENDOR_LIBRARY_FILENAMES=" + vendors;
    const std::vector<std::string> snapshot = {
        snapshotBinary(), "--renderer", "opengl", "--gl-platform", "egl", "--png", "r.png"};
    const std::vector<std::string> compare = {compareBinary()};
    const std::vector<std::string> explain = {RW_EXPLAIN_BINARY, "3", "3"};
    const struct {
        std::vector<std::string> argv;
        std::vector<std::string> env;
        int status;
        const char* said;  // in the one line on standard error ("": nothing said)
    } cases[] = {
        {snapshot,
         {failing, "RW_FAILING_EGL=abort"},
         1,
         "rasterwork-snapshot: cannot draw the reference through EGL: the OpenGL library crashed "
         "(SIGABRT, aborted) while starting EGL (the libraries said: failing EGL vendor: giving "
         "up)\n"},
        {snapshot,
         {failing, "RW_FAILING_EGL=segv"},
         1,
         "the OpenGL library crashed (SIGSEGV, segmentation fault) while starting EGL"},
        {snapshot,
         {failing, "RW_FAILING_EGL=exit"},
         1,
         "rasterwork-snapshot: the OpenGL library ended the program while starting EGL (the "
         "libraries said: failing EGL vendor: giving up)\n"},
        {compare,
         {"GALLIUM_DRIVER=virpipe"},
         1,
         "through EGL, the OpenGL library crashed (SIGABRT, aborted) while starting EGL (the "
         "libraries said: lost connection to rendering server"},
        {explain, {"GALLIUM_DRIVER=virpipe"}, 0, ""},
        {explain, {failing, "RW_FAILING_EGL=segv"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv[0] + " " + c.env.back());
        std::vector<std::string> argv = c.argv;
        argv.insert(argv.begin() + 1, {"--width", "8", "--height", "8"});
        const ToolRun run = runTool(argv, temp.path(), "", 60.0, {}, "", c.env);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, c.status) << run.err;
        if (*c.said == '\0') {
            EXPECT_EQ(run.err, "");
            EXPECT_NE(run.out.find("software renderer: "), std::string::npos) << run.out;
            EXPECT_NE(run.out.find("reference renderer: not drawn, "), std::string::npos)
                << run.out;
            EXPECT_NE(run.out.find("crashed"), std::string::npos) << run.out;
        } else {
            EXPECT_EQ(countLines(run.err), 1) << run.err;
            EXPECT_NE(run.err.find(c.said), std::string::npos) << run.err;
        }
        EXPECT_EQ(listDirectory(temp.path()), std::vector<std::string>{"vendor.json"});
    }
}

}  // namespace
