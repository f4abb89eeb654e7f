#pragma once

// gtest first: the X headers define macros (None, Bool, ...) that clash with it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "child_process.h"
#include "x_client.h"
#include "xvfb_server.h"

// The real viewer under an Xvfb server of its own, watched and driven through
// an X client. The viewer's standard output and error go to files in a
// temporary directory, which is removed when the test ends; when it failed,
// what the viewer said is printed first, and the directory copied under
// $RW_TEST_ARTIFACTS where that is set.
class ViewerFixture : public ::testing::Test {
  public:
    static constexpr int kSize = 480;              // the viewer's window side
    static constexpr double kStartSeconds = 30.0;  // until its window appears
    static constexpr double kFrameSeconds = 20.0;  // until a picture shows

  protected:
    void SetUp() override;
    // Ends the viewer, the client and the server, then removes the
    // directory.
    void TearDown() override;

    // Starts the X server and connects the client to it.
    void startServer();
    // Starts argv with the extra environment variables; its output goes to
    // outPath() and errPath().
    void startViewer(const std::vector<std::string>& argv, const std::vector<std::string>& env,
                     const ChildSettings& settings = {});
    // Starts the server and the viewer on it, waits for the window and moves
    // it to (0, 0), where it then is at its full size. Without a window
    // manager it would sit at (-1, -1); the move also makes the viewer draw
    // another frame. runUnder, when given, is the command the viewer is
    // started through (as another user, say); extraEnv are environment
    // variables beside DISPLAY.
    void startViewerWindow(const ChildSettings& settings = {},
                           const std::vector<std::string>& runUnder = {},
                           const std::vector<std::string>& extraEnv = {});

    static std::string viewerPath();
    std::string outPath() const { return dir_ + "/stdout.txt"; }
    std::string errPath() const { return dir_ + "/stderr.txt"; }
    // Everything the viewer has written to standard output so far.
    std::string printed() const { return readFile(outPath()); }

    std::string dir_;
    std::unique_ptr<XvfbServer> server_;
    std::unique_ptr<XClient> client_;
    std::unique_ptr<ChildProcess> viewer_;
    Window window_ = 0;
};
