// The reference picture under the limits a process may meet (no thread it
// may start, an address space that runs out inside the GL library): each
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

// Each tool as the user nobody with a process limit of one: not one thread
// may start, neither the tool's nor the GL library's.
TEST_F(ReferenceUnderLimits, NoThreadThatMayStartChangesWhatIsDrawn) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to run the tools as nobody, whose processes the limit counts";
    }
    const std::vector<std::vector<std::string>> commands = {
        {snapshotBinary(), "--renderer", "opengl", "--png", "picture.png"},
        {compareBinary(), "--png", "picture.png"},
        {RW_EXPLAIN_BINARY, "--crop-png", "picture.png", "40", "30"},
    };
    ChildSettings oneProcess;
    oneProcess.processLimit = 1;
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(command[0]);
        std::vector<std::string> argv = command;
        argv.insert(argv.begin() + 1, {"--width", "96", "--height", "64"});
        const TempDir free("rasterwork-limits-free-");
        const TempDir limited("rasterwork-limits-one-process-");
        ASSERT_EQ(chmod(limited.path().c_str(), 0777), 0);
        const ToolRun expected = run(argv, free.path());
        ASSERT_EQ(expected.status, 0) << expected.err;
        const ToolRun got = run(asOrdinaryUser(argv), limited.path(), oneProcess);
        ASSERT_TRUE(got.finished) << "still running after 120 s";
        EXPECT_EQ(got.status, 0) << got.err;
        EXPECT_EQ(got.err, "");
        EXPECT_EQ(got.out, expected.out);
        EXPECT_TRUE(readFile(limited.path() + "/picture.png") ==
                    readFile(free.path() + "/picture.png"))
            << "not the same picture";
    }
}

// Under address-space limits around what a 2048 x 2048 reference needs,
// each run draws, or says in one line that memory ran out.
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

}  // namespace
