// The reference picture under the limits a process may meet (fewer threads
// than it wants may start, an address space that runs out inside the GL library): each
// tool that draws it draws what it draws without the limit, or ends in one
// line with status 1, never by a crash.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "xvfb_server.h"

namespace {

class ReferenceUnderLimits : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { xvfb_ = std::make_unique<XvfbServer>(); }
    static void TearDownTestSuite() { xvfb_.reset(); }
    void SetUp() override { ASSERT_TRUE(xvfb_->ok()) << xvfb_->error(); }

    ToolRun run(const std::vector<std::string>& argv, const std::string& dir,
                const ChildSettings& settings = {}) const {
        return runTool(argv, dir, xvfb_->display(), 120.0, settings);
    }

    static std::unique_ptr<XvfbServer> xvfb_;
};

std::unique_ptr<XvfbServer> ReferenceUnderLimits::xvfb_;

// Each tool as the user nobody under process limits that let no thread,
// one, or two start beside the tool's own: neither the tool's nor the GL
// library's threads may hang it or change what it draws, through EGL or X.
TEST_F(ReferenceUnderLimits, ThreadsThatMayNotStartChangeNothingDrawn) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to run the tools as nobody, whose processes the limit counts";
    }
    const std::vector<std::vector<std::string>> commands = {
        {snapshotBinary(), "--renderer", "opengl", "--png", "picture.png"},
        {snapshotBinary(), "--gl-platform", "x11", "--renderer", "opengl", "--png", "picture.png"},
        {compareBinary(), "--png", "picture.png"},
        {RW_EXPLAIN_BINARY, "--crop-png", "picture.png", "40", "30"},
    };
    for (const std::vector<std::string>& command : commands) {
        std::vector<std::string> argv = command;
        argv.insert(argv.begin() + 1, {"--width", "96", "--height", "64"});
        const TempDir free("rasterwork-limits-free-");
        const ToolRun expected = run(argv, free.path());
        ASSERT_EQ(expected.status, 0) << expected.err;
        for (const unsigned long long processes : {1, 2, 3}) {
            SCOPED_TRACE(command[0] + " " + command[1] + " under " + std::to_string(processes) +
                         " processes");
            const TempDir limited("rasterwork-limits-processes-");
            ASSERT_EQ(chmod(limited.path().c_str(), 0777), 0);
            ChildSettings settings;
            settings.processLimit = processes;
            const ToolRun got = run(asOrdinaryUser(argv), limited.path(), settings);
            ASSERT_TRUE(got.finished) << "still running after 120 s";
            EXPECT_EQ(got.status, 0) << got.err;
            EXPECT_EQ(got.err, "");
            EXPECT_EQ(got.out, expected.out);
            EXPECT_TRUE(readFile(limited.path() + "/picture.png") ==
                        readFile(free.path() + "/picture.png"))
                << "not the same picture";
        }
    }
}

// Under address-space limits around what a large reference needs, each
// run draws, or says in one line that memory ran out.
TEST_F(ReferenceUnderLimits, MemoryRunningOutIsOneLineAndNeverACrash) {
#ifdef RW_TOOLS_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory needs no address-space limit";
#endif
    const struct {
        std::vector<std::string> argv;
        std::vector<unsigned long long> limitsKiB;
    } cases[] = {
        {{compareBinary(), "--width", "2048", "--height", "2048", "--png", "picture.png"},
         {500000, 600000, 700000, 800000}},
        // Through EGL the GL library crashed (2000) and let std::bad_alloc
        // escape (3000) at these limits.
        {{snapshotBinary(), "--gl-platform", "egl", "--renderer", "opengl", "--width", "2000",
          "--height", "2000", "--png", "picture.png"},
         {730000}},
        {{snapshotBinary(), "--gl-platform", "egl", "--renderer", "opengl", "--width", "3000",
          "--height", "3000", "--png", "picture.png"},
         {900000}},
        {{RW_EXPLAIN_BINARY, "--width", "2048", "--height", "2048", "--crop-png", "picture.png",
          "3", "3"},
         {300000, 400000, 500000}},
    };
    for (const auto& c : cases) {
        for (const unsigned long long limit : c.limitsKiB) {
            SCOPED_TRACE(c.argv[0] + " under " + std::to_string(limit) + " KiB");
            const TempDir dir("rasterwork-limits-memory-");
            ChildSettings settings;
            settings.addressSpaceLimit = limit << 10;
            const ToolRun got = run(c.argv, dir.path(), settings);
            ASSERT_TRUE(got.finished);
            if (got.status == 0) {
                EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{"picture.png"});
                continue;
            }
            EXPECT_EQ(got.status, 1) << got.err;
            EXPECT_EQ(countLines(got.err), 1) << got.err;
            EXPECT_NE(got.err.find("memory"), std::string::npos) << got.err;
            EXPECT_TRUE(listDirectory(dir.path()).empty());
        }
    }
}

// Memory or descriptors that run out as EGL starts are named as such, not
// as a driver or an EGL that is not there, and the run fails, explain's too.
TEST_F(ReferenceUnderLimits, ExhaustionAsEglStartsIsNamedAsSuch) {
#ifdef RW_TOOLS_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory needs no address-space limit";
#endif
    const std::vector<std::string> snapshot = {
        snapshotBinary(), "--gl-platform", "egl", "--renderer", "opengl", "--png", "picture.png"};
    const std::vector<std::string> explain = {RW_EXPLAIN_BINARY, "--gl-platform", "egl", "3", "3"};
    const struct {
        std::vector<std::string> argv;
        unsigned long long limitKiB;  // of address space; 0: none
        const char* said;
    } cases[] = {
        {snapshot, 200000, "not enough memory for the OpenGL library to start EGL"},
        {explain, 200000, "not enough memory for the OpenGL library to start EGL"},
        {snapshot, 0, "no file descriptor left for the OpenGL library to start EGL"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv[0] + " " + c.said);
        std::vector<std::string> argv = c.argv;
        argv.insert(argv.begin() + 1, {"--width", "8", "--height", "8"});
        // Standard input, output and error, and the two the held messages
        // take: whatever else the test has open is closed first.
        if (c.limitKiB == 0) {
            argv.insert(argv.begin(),
                        {"bash", "-c",
                         "for fd in $(ls /proc/$$/fd); do [ $fd -gt 2 ] && eval \"exec $fd<&-\"; "
                         "done; exec prlimit --nofile=5 \"$0\" \"$@\""});
        }
        const TempDir dir("rasterwork-limits-exhausted-");
        ChildSettings settings;
        settings.addressSpaceLimit = c.limitKiB << 10;
        const ToolRun got = run(argv, dir.path(), settings);
        ASSERT_TRUE(got.finished);
        EXPECT_EQ(got.status, 1) << got.out;
        EXPECT_EQ(countLines(got.err), 1) << got.err;
        EXPECT_NE(got.err.find(c.said), std::string::npos) << got.err;
        EXPECT_TRUE(listDirectory(dir.path()).empty());
    }
}

}  // namespace
