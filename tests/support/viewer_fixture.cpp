#include "viewer_fixture.h"
#include "temp_dir.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>

void ViewerFixture::SetUp() {
    dir_ = makeTempDir("rasterwork-viewer-");
    ASSERT_FALSE(dir_.empty());
}

void ViewerFixture::TearDown() {
    viewer_.reset();
    client_.reset();
    server_.reset();
    if (dir_.empty()) return;
    std::error_code ignored;
    if (HasFailure()) {
        // What the viewer said goes into the test's log; its files, with any
        // pictures, under $RW_TEST_ARTIFACTS where that is set.
        std::printf("viewer stderr: %s\nviewer stdout: %s\n", readFile(errPath()).c_str(),
                    printed().c_str());
        const char* artifacts = std::getenv("RW_TEST_ARTIFACTS");
        if (artifacts != nullptr && *artifacts != '\0') {
            const std::filesystem::path kept =
                std::filesystem::path(artifacts) / std::filesystem::path(dir_).filename();
            std::filesystem::create_directories(artifacts, ignored);
            std::filesystem::copy(dir_, kept, std::filesystem::copy_options::recursive, ignored);
            std::printf("viewer output and pictures kept in %s\n", kept.c_str());
        }
    }
    std::filesystem::remove_all(dir_, ignored);
}

void ViewerFixture::startServer() {
    client_.reset();  // before its server goes
    server_ = std::make_unique<XvfbServer>();
    ASSERT_TRUE(server_->ok()) << server_->error();
    client_ = std::make_unique<XClient>(server_->display());
    ASSERT_TRUE(client_->ok()) << "cannot connect to " << server_->display();
}

void ViewerFixture::startViewer(const std::vector<std::string>& argv,
                                const std::vector<std::string>& env,
                                const ChildSettings& settings) {
    viewer_ = std::make_unique<ChildProcess>(argv, env, outPath(), errPath(), settings);
    ASSERT_TRUE(viewer_->started());
}

void ViewerFixture::startViewerWindow(const ChildSettings& settings,
                                      const std::vector<std::string>& runUnder,
                                      const std::vector<std::string>& extraEnv) {
    ASSERT_NO_FATAL_FAILURE(startServer());
    std::vector<std::string> argv = runUnder;
    argv.push_back(viewerPath());
    std::vector<std::string> env = extraEnv;
    env.push_back("DISPLAY=" + server_->display());
    ASSERT_NO_FATAL_FAILURE(startViewer(argv, env, settings));
    window_ = client_->waitForWindow("Rasterwork", kStartSeconds);
    ASSERT_NE(window_, 0u) << "no window titled Rasterwork; stderr: " << readFile(errPath());
    client_->moveWindow(window_, 0, 0);
    ASSERT_TRUE(waitUntil(
        [&] {
            int x = -1, y = -1, width = 0, height = 0;
            return client_->geometry(window_, &x, &y, &width, &height) && x == 0 && y == 0 &&
                   width == kSize && height == kSize;
        },
        kFrameSeconds))
        << "the window did not move to (0, 0) at " << kSize << " x " << kSize;
}

std::string ViewerFixture::viewerPath() {
    return RW_VIEWER_PATH;
}
