// The real viewer in Xvfb against the snapshot tool's pictures.
#include "viewer_fixture.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <thread>

#include "mismatch_pictures.h"
#include "run_tool.h"
#include "temp_dir.h"
#include "test_images.h"

namespace {

constexpr int kSide = ViewerFixture::kSize;
constexpr double kPictureTimeout = ViewerFixture::kFrameSeconds;

class ViewerWindow : public ViewerFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ViewerFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(startViewerWindow());
    }

    void TearDown() override {
        if (viewer_) {
            EXPECT_TRUE(viewer_->running())
                << "the viewer ended early; stderr: " << readFile(errPath());
        }
        ViewerFixture::TearDown();
    }

    RgbImage capture() { return client_->captureScreen(0, 0, kSide, kSide); }

    // The tool's PNG for these extra arguments (default size 480 x 480).
    RgbImage snapshot(const std::vector<std::string>& extra, const std::string& display = "") {
        const std::string name = "snapshot-" + std::to_string(++snapshots_) + ".png";
        std::vector<std::string> args = {snapshotBinary(), "--png", name};
        args.insert(args.end(), extra.begin(), extra.end());
        const ToolRun run = runTool(args, dir_, display);
        EXPECT_TRUE(run.finished && run.status == 0) << run.err;
        RgbImage image;
        std::string error;
        EXPECT_TRUE(readPng(dir_ + "/" + name, &image, &error)) << error;
        return image;
    }

    // Waits until the window shows `expected` within one step per channel
    // (outside `ignored`); on time-out saves the pictures and fails.
    void expectWindowShows(const RgbImage& expected, const std::string& name,
                           const IgnoredRect* ignored = nullptr) {
        RgbImage shown;
        PictureDifference difference;
        const bool matched = waitUntil(
            [&] {
                shown = capture();
                difference = comparePictures(shown, expected, 1, ignored);
                return difference.differingPixels == 0;
            },
            kPictureTimeout);
        EXPECT_TRUE(matched) << name << ": " << difference.differingPixels
                             << " pixels differ by more than one step, the first at ("
                             << difference.firstX << ", " << difference.firstRow
                             << ") from the top left; largest difference "
                             << difference.maxChannelDelta << "; "
                             << saveMismatchPictures(name, shown, expected);
        if (matched) {
            std::printf("%s: matched; largest channel difference %d, %ld pixels not identical\n",
                        name.c_str(), difference.maxChannelDelta,
                        comparePictures(shown, expected, 0, ignored).differingPixels);
        }
    }

    int snapshots_ = 0;
};

TEST_F(ViewerWindow, SoftwareFramesEqualTheSnapshotsOfTheSameView) {
    const RgbImage startView = snapshot({});
    ASSERT_GT(countNonWhite(startView), 10000);
    const int pressX = 200, pressY = 200, endX = 260, endY = 230;
    // Without a window manager the keyboard follows the pointer; the viewer
    // registers no passive-motion callback, so this move draws nothing.
    client_->movePointer(pressX, pressY);
    client_->pressKey("g");
    expectWindowShows(startView, "software-start-view");

    // A left drag pressed at the pointer's place and released after two
    // motions: the motion callback adds the pixel movement, so the angles
    // change by the last position minus the first. One wheel click (X button
    // 4 press and release) is two GLUT button 3 events, +1 zoom each.
    client_->pressButton(1);
    client_->movePointer(230, 215);
    client_->movePointer(endX, endY);
    client_->releaseButton(1);
    client_->pressButton(4);
    client_->releaseButton(4);
    const float movedAngleZ = -135.0f + static_cast<float>(endX - pressX);
    const float movedAngleX = -60.0f + static_cast<float>(endY - pressY);
    const float movedZoom = 0.25f + 2.0f;
    const RgbImage movedView =
        snapshot({"--angle-z", std::to_string(movedAngleZ), "--angle-x",
                  std::to_string(movedAngleX), "--zoom", std::to_string(movedZoom)});
    ASSERT_GT(comparePictures(movedView, startView, 1).differingPixels, 1000)
        << "the new view should look different";
    expectWindowShows(movedView, "software-moved-view");
}

TEST_F(ViewerWindow, ReferenceSnapshotEqualsTheViewersFirstFrames) {
    // Let the start-up frames settle: the same picture twice, 300 ms apart.
    RgbImage shown = capture();
    ASSERT_TRUE(waitUntil(
        [&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            RgbImage again = capture();
            const bool settled = again.rgb == shown.rgb && countNonWhite(again) > 10000;
            shown = std::move(again);
            return settled;
        },
        kPictureTimeout));
    viewer_->kill();
    viewer_.reset();

    const RgbImage reference = snapshot({"--renderer", "opengl"}, server_->display());
    ASSERT_GT(countNonWhite(reference), 10000);
    // The overlay line at (10, 10) from the bottom left is drawn in the
    // colour the previous frame left, white only in the very first frame,
    // which the tool's single frame is; it lies under no part of the scene.
    const IgnoredRect overlay{0, kSide - 40, 360, kSide};
    const PictureDifference difference = comparePictures(reference, shown, 0, &overlay);
    EXPECT_EQ(difference.differingPixels, 0)
        << "largest difference " << difference.maxChannelDelta << "; "
        << saveMismatchPictures("reference-vs-viewer", reference, shown);
    EXPECT_GT(comparePictures(reference, shown, 0).differingPixels, 0)
        << "the viewer's overlay line should show in the settled frame";
}

// Whenever the X server dies during a reference render, the status tells the
// truth: 1 with one line and the old file untouched, or 0 with the new
// picture complete. Which of the two depends on how far the run got.
TEST(ReferenceSnapshot, AServerThatDiesMidRunNeverLeavesAChangedFileBehindAFailure) {
    for (const int delayMs : {30, 100, 300, 600, 1000}) {
        SCOPED_TRACE(delayMs);
        const TempDir dir("rasterwork-dying-server-");
        const TempDir logs("rasterwork-dying-server-logs-");
        std::ofstream(dir.path() + "/out.png") << "old";
        auto xvfb = std::make_unique<XvfbServer>();
        ASSERT_TRUE(xvfb->ok()) << xvfb->error();
        ChildProcess tool(
            toolCommand({snapshotBinary(), "--renderer", "opengl", "--gl-platform", "x11",
                         "--width", "2000", "--height", "2000", "--png", "out.png"},
                        dir.path(), xvfb->display()),
            {}, logs.path() + "/stdout", logs.path() + "/stderr");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        xvfb.reset();
        int status = -1;
        ASSERT_TRUE(tool.waitForExit(60.0, &status));
        const std::string err = readFile(logs.path() + "/stderr");
        SCOPED_TRACE("status " + std::to_string(status) + ", stderr: " + err);
        if (status == 0) {
            RgbImage picture;
            std::string error;
            EXPECT_TRUE(readPng(dir.path() + "/out.png", &picture, &error)) << error;
            EXPECT_EQ(picture.width, 2000);
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(status, 1) << err;
            EXPECT_TRUE(readFile(dir.path() + "/out.png") == "old") << "replaced; stderr: " << err;
            EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        }
        EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{"out.png"});
    }
}

// The GL libraries, short of memory, complain on standard error as they
// load: the tools still end with one line of their own, which carries it,
// through GLX and through EGL alike.
TEST(ReferenceSnapshot, AStartTheGlLibrariesFailIsOneLine) {
#ifdef RW_TOOLS_SANITIZED
    GTEST_SKIP() << "the sanitizers' shadow memory needs no address-space limit";
#endif
    const XvfbServer xvfb;
    ASSERT_TRUE(xvfb.ok()) << xvfb.error();
    const TempDir dir("rasterwork-starved-");
    ChildSettings starved;
    starved.addressSpaceLimit = 150000ull << 10;
    const std::vector<std::vector<std::string>> commands = {
        {snapshotBinary(), "--renderer", "opengl", "--gl-platform", "x11", "--png", "m.png"},
        {RW_COMPARE_BINARY, "--gl-platform", "x11"},
        {snapshotBinary(), "--renderer", "opengl", "--gl-platform", "egl", "--png", "m.png"},
        {RW_COMPARE_BINARY, "--gl-platform", "egl"}};
    for (const std::vector<std::string>& command : commands) {
        SCOPED_TRACE(::testing::PrintToString(command));
        const ToolRun run = runTool(command, dir.path(), xvfb.display(), 60.0, starved);
        ASSERT_TRUE(run.finished);
        EXPECT_EQ(run.status, 1) << run.err;
        EXPECT_EQ(countLines(run.err), 1) << run.err;
        EXPECT_EQ(run.err.rfind(command[0].substr(command[0].rfind('/') + 1) + ": ", 0), 0u)
            << run.err;
        EXPECT_TRUE(listDirectory(dir.path()).empty());
    }
}

// The bound is for a server that does not answer: a live server is waited
// for however long the drawing takes, and a crash of the program itself is
// reported as a crash, never as the server's fault.
TEST(ReferenceSnapshot, TheBoundWaitsForALiveServerAndACrashIsNotTheServers) {
    auto xvfb = std::make_unique<XvfbServer>();
    ASSERT_TRUE(xvfb->ok()) << xvfb->error();
    const TempDir dir("rasterwork-live-server-");
    const TempDir logs("rasterwork-live-server-logs-");
    const std::vector<std::string> large = {
        snapshotBinary(), "--renderer", "opengl", "--gl-platform", "x11",    "--width",
        "8000",           "--height",   "8000",   "--png",         "big.png"};
    // Drawing and reading back this much takes longer than one second.
    std::vector<std::string> withDepth = large;
    withDepth.insert(withDepth.end(), {"--depth-pfm", "big.pfm"});
    const ToolRun run = runTool(withDepth, dir.path(), xvfb->display(), 120.0, {}, "",
                                {"RASTERWORK_SNAPSHOT_X_TIMEOUT=1"});
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(listDirectory(dir.path()), (std::vector<std::string>{"big.pfm", "big.png"}));

    for (const int delayMs : {300, 700}) {
        SCOPED_TRACE(delayMs);
        ChildProcess tool(toolCommand(large, dir.path(), xvfb->display()), {},
                          logs.path() + "/stdout", logs.path() + "/stderr");
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        kill(tool.pid(), SIGSEGV);
        int status = -1;
        ASSERT_TRUE(tool.waitForExit(60.0, &status));
        const std::string err = readFile(logs.path() + "/stderr");
        EXPECT_EQ(status, 128 + SIGSEGV) << err;
        EXPECT_EQ(err.find("X server"), std::string::npos) << err;
        EXPECT_LE(std::count(err.begin(), err.end(), '\n'), 1) << err;
    }
}

}  // namespace
