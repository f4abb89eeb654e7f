// The real viewer binary under an X server of its own, driven by real key
// and pointer events.
#include "privileged_setup.h"
#include "viewer_fixture.h"

#include <X11/extensions/XTest.h>
#include <X11/keysym.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr int kSize = ViewerFixture::kSize;
constexpr double kExitSeconds = 10.0;

bool isWhiteRegion(const RgbImage& image, int left, int top, int width, int height) {
    for (int y = top; y < top + height; ++y)
        for (int x = left; x < left + width; ++x)
            if (!image.isWhite(x, y)) return false;
    return true;
}

// White where the first picture has nothing: the top and bottom rows, the
// left and right edges above and below the patches (which reach the side
// edges in the middle), and the two right-hand corners. Together they show a
// cleared frame that covers the whole window.
bool hasWhiteFrame(const RgbImage& image) {
    if (image.width != kSize || image.height != kSize) return false;
    const int last = kSize - 1;
    return isWhiteRegion(image, 0, 0, kSize, 1) && isWhiteRegion(image, 0, last, kSize, 1) &&
           isWhiteRegion(image, 0, 0, 1, 100) && isWhiteRegion(image, last, 0, 1, 100) &&
           isWhiteRegion(image, 0, kSize - 80, 1, 80) &&
           isWhiteRegion(image, last, kSize - 80, 1, 80) &&
           isWhiteRegion(image, kSize - 80, 0, 80, 80) &&
           isWhiteRegion(image, kSize - 80, kSize - 80, 80, 80);
}

// User plus system CPU time of a process, in clock ticks.
long cpuTicks(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 2));
    std::string field;
    long utime = 0, stime = 0;
    // Fields after the command name start at number 3 (state); utime is 14.
    for (int number = 3; number <= 15 && fields >> field; ++number) {
        if (number == 14) utime = std::stol(field);
        if (number == 15) stime = std::stol(field);
    }
    return utime + stime;
}

class ViewerTest : public ViewerFixture {
  protected:
    // The viewer's window at (0, 0), showing a frame with a white border.
    void startViewerWithFrame(const ChildSettings& settings = {},
                              const std::vector<std::string>& runUnder = {},
                              const std::vector<std::string>& extraEnv = {}) {
        ASSERT_NO_FATAL_FAILURE(startViewerWindow(settings, runUnder, extraEnv));
        ASSERT_TRUE(waitForWhiteFrame()) << "no frame with a white border at (0, 0)";
    }

    bool waitForWhiteFrame() {
        RgbImage image;
        const bool ok = waitUntil(
            [&] {
                image = client_->captureScreen(0, 0, kSize, kSize);
                return hasWhiteFrame(image);
            },
            kFrameSeconds);
        if (!ok) writePpm(dir_ + "/screen.ppm", image);
        return ok;
    }

    void pointIntoWindow() { client_->movePointer(kSize / 2, kSize / 2); }

    void typeKey(KeySym keysym, bool shift = false) {
        Display* d = client_->raw();
        const KeyCode shiftCode = XKeysymToKeycode(d, XK_Shift_L);
        const KeyCode code = XKeysymToKeycode(d, keysym);
        if (shift) XTestFakeKeyEvent(d, shiftCode, True, CurrentTime);
        XTestFakeKeyEvent(d, code, True, CurrentTime);
        XTestFakeKeyEvent(d, code, False, CurrentTime);
        if (shift) XTestFakeKeyEvent(d, shiftCode, False, CurrentTime);
        XSync(d, False);
    }

    void expectExitStatus(int expected) {
        int status = -1;
        ASSERT_TRUE(viewer_->waitForExit(kExitSeconds, &status)) << "viewer did not end";
        EXPECT_EQ(status, expected) << "stderr: " << readFile(errPath());
    }
};

TEST_F(ViewerTest, OpensA480SquareWindowAndDrawsTheFirstFrameUnasked) {
    ASSERT_NO_FATAL_FAILURE(startServer());
    ASSERT_NO_FATAL_FAILURE(startViewer({viewerPath()}, {"DISPLAY=" + server_->display()}));
    window_ = client_->waitForWindow("Rasterwork", kStartSeconds);
    ASSERT_NE(window_, 0u) << "stderr: " << readFile(errPath());
    EXPECT_EQ(client_->windowTitle(window_), "Rasterwork");
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(client_->geometry(window_, &x, &y, &width, &height));
    EXPECT_EQ(width, kSize);
    EXPECT_EQ(height, kSize);

    // Before any event: the top-right corner of the window turns white.
    const int left = kSize - 80 + x, top = std::max(y, 0);
    RgbImage corner;
    const bool drawn = waitUntil(
        [&] {
            corner = client_->captureScreen(left, top, 80, 60);
            return corner.width == 80 && isWhiteRegion(corner, 0, 0, 80, 60);
        },
        kFrameSeconds);
    if (!drawn) writePpm(dir_ + "/corner.ppm", corner);
    EXPECT_TRUE(drawn) << "the first frame did not appear by itself";

    // At (0, 0) the whole 480 x 480 area is the frame.
    client_->moveWindow(window_, 0, 0);
    ASSERT_TRUE(client_->geometry(window_, &x, &y, &width, &height));
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_TRUE(waitForWhiteFrame());
    EXPECT_TRUE(viewer_->running());
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerTest, QEndsWithStatusZero) {
    ASSERT_NO_FATAL_FAILURE(startViewerWithFrame());
    pointIntoWindow();
    typeKey(XK_q);
    expectExitStatus(0);
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerTest, EscapeEndsWithStatusZero) {
    ASSERT_NO_FATAL_FAILURE(startViewerWithFrame());
    pointIntoWindow();
    typeKey(XK_Escape);
    expectExitStatus(0);
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerTest, OtherKeysKeepItRunning) {
    ASSERT_NO_FATAL_FAILURE(startViewerWithFrame());
    pointIntoWindow();
    typeKey(XK_x);
    typeKey(XK_g, true);  // G
    typeKey(XK_q, true);  // Q
    typeKey(XK_space);
    typeKey(XK_Return);
    typeKey(XK_F1);
    std::this_thread::sleep_for(std::chrono::milliseconds(700));
    EXPECT_TRUE(viewer_->running());
    // The keys did arrive: the next one, q, is handled after them.
    typeKey(XK_q);
    expectExitStatus(0);
    EXPECT_EQ(printed(), "");
}

// Redraws happen on demand only: once the frame for the last input is drawn,
// the viewer sleeps.
TEST_F(ViewerTest, UsesNoProcessorTimeWhileNothingChanges) {
    ASSERT_NO_FATAL_FAILURE(startViewerWithFrame());
    const pid_t pid = viewer_->pid();
    const auto idleTicks = [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(800));
        const long before = cpuTicks(pid);
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return cpuTicks(pid) - before;
    };
    // 1.5 s of busy redrawing would be about 150 ticks.
    EXPECT_LE(idleTicks(), 10);

    // A burst of input: a left drag, a wheel notch and two renderer switches.
    // It is drawn (the picture changes), and then the viewer sleeps again.
    const RgbImage before = client_->captureScreen(0, 0, kSize, kSize);
    pointIntoWindow();
    client_->pressButton(1);
    for (int i = 1; i <= 30; ++i) client_->movePointer(kSize / 2 + i, kSize / 2 + i / 2);
    client_->releaseButton(1);
    client_->pressButton(4);
    client_->releaseButton(4);
    typeKey(XK_g);
    typeKey(XK_g);
    EXPECT_TRUE(
        waitUntil([&] { return client_->captureScreen(0, 0, kSize, kSize).rgb != before.rgb; },
                  kFrameSeconds))
        << "the input was not drawn";
    EXPECT_LE(idleTicks(), 10);
    EXPECT_TRUE(viewer_->running());
}

// Every way the start can fail ends it with status 1 and one printable line
// of the viewer's own, whatever the libraries said, and nothing on standard
// output.
TEST_F(ViewerTest, EveryFailedStartIsOneLineOfItsOwn) {
    const auto expectOneLine = [&](const std::string& part) {
        expectExitStatus(1);
        const std::string err = readFile(errPath());
        EXPECT_EQ(countLines(err), 1) << err;
        EXPECT_EQ(err.rfind("rasterwork: ", 0), 0u) << err;
        EXPECT_NE(err.find(part), std::string::npos) << err;
        for (std::size_t i = 0; i + 1 < err.size(); ++i) {
            const unsigned char byte = static_cast<unsigned char>(err[i]);
            EXPECT_TRUE(byte >= 0x20 && byte < 0x7f) << "byte " << i << " of " << err;
        }
        EXPECT_EQ(printed(), "");
    };
    ASSERT_NO_FATAL_FAILURE(startViewer({"env", "-u", "DISPLAY", viewerPath()}, {}));
    expectOneLine("DISPLAY is not set");
    ASSERT_NO_FATAL_FAILURE(startViewer({viewerPath()}, {"DISPLAY=:65000"}));
    expectOneLine("cannot open X display \":65000\"");
    ASSERT_NO_FATAL_FAILURE(startViewer({viewerPath()}, {"DISPLAY=\xc2\x9b"
                                                         "31m:65000"}));
    expectOneLine("cannot open X display \"\\xc2\\x9b31m:65000\"");

    // Too little memory for the GL libraries, which complain on their own.
    ASSERT_NO_FATAL_FAILURE(startServer());
    ChildSettings starved;
    starved.addressSpaceLimit = 150000ull << 10;
    ASSERT_NO_FATAL_FAILURE(
        startViewer({viewerPath()}, {"DISPLAY=" + server_->display()}, starved));
    expectOneLine("freeglut: ");

    // A server that goes away while the viewer connects: most often a few
    // milliseconds after the start.
    for (const int delayMs : {2, 4, 6, 7, 8, 8, 8, 9, 10, 12, 16, 24}) {
        SCOPED_TRACE(delayMs);
        auto dying = std::make_unique<XvfbServer>();
        ASSERT_TRUE(dying->ok()) << dying->error();
        ASSERT_NO_FATAL_FAILURE(startViewer({viewerPath()}, {"DISPLAY=" + dying->display()}));
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        dying.reset();
        expectOneLine("");
    }
}

// Under an address-space limit the GL library cannot work within, on a
// screen larger than the window, the viewer either runs or ends in one line
// with status 1, never by a crash inside the library.
TEST_F(ViewerTest, MemoryRunningOutInTheGLLibraryIsOneLine) {
    const XvfbServer large(1600, 1200);
    ASSERT_TRUE(large.ok()) << large.error();
    for (const unsigned long long limitKiB : {250000ull, 350000ull, 450000ull, 550000ull}) {
        SCOPED_TRACE(limitKiB);
        ChildSettings limited;
        limited.addressSpaceLimit = limitKiB << 10;
        ASSERT_NO_FATAL_FAILURE(
            startViewer({viewerPath()}, {"DISPLAY=" + large.display()}, limited));
        int status = -1;
        if (!viewer_->waitForExit(kExitSeconds, &status)) continue;  // it runs
        const std::string err = readFile(errPath());
        EXPECT_EQ(status, 1) << err;
        EXPECT_EQ(countLines(err), 1) << err;
        EXPECT_EQ(err.rfind("rasterwork: ", 0), 0u) << err;
        EXPECT_EQ(printed(), "");
    }
}

// As a user whose process limit lets the GL library start only some of its
// threads, or none, the viewer draws both pictures and `q` ends it.
TEST_F(ViewerTest, RunsAndQuitsWhenOnlySomeThreadsCanStart) {
    if (geteuid() != 0) {
        GTEST_SKIP() << "needs root, to run the viewer as nobody, whose processes the limit counts";
    }
    for (const unsigned long long processes : {2ull, 3ull}) {
        SCOPED_TRACE(std::to_string(processes) + " processes");
        ChildSettings limited;
        limited.processLimit = processes;
        ASSERT_NO_FATAL_FAILURE(startViewerWithFrame(limited, asOrdinaryUser({})));
        const auto shown = [&] { return client_->captureScreen(0, 0, kSize, kSize); };
        RgbImage reference;
        ASSERT_TRUE(waitUntil(
            [&] {
                reference = shown();
                return !isWhiteRegion(reference, 0, 0, kSize, kSize);
            },
            kFrameSeconds))
            << "no OpenGL picture";
        pointIntoWindow();
        typeKey(XK_g);
        EXPECT_TRUE(waitUntil(
            [&] {
                const RgbImage software = shown();
                return software.rgb != reference.rgb &&
                       !isWhiteRegion(software, 0, 0, kSize, kSize);
            },
            kFrameSeconds))
            << "no software picture";
        typeKey(XK_q);
        expectExitStatus(0);
        EXPECT_EQ(readFile(errPath()), "");
        EXPECT_EQ(printed(), "");
    }
}

// The arguments belong to glutInit: its -display wins over DISPLAY.
TEST_F(ViewerTest, DisplayArgumentIsHonoured) {
    ASSERT_NO_FATAL_FAILURE(startServer());
    ASSERT_NO_FATAL_FAILURE(
        startViewer({"env", "-u", "DISPLAY", viewerPath(), "-display", server_->display()}, {}));
    window_ = client_->waitForWindow("Rasterwork", kStartSeconds);
    ASSERT_NE(window_, 0u) << "stderr: " << readFile(errPath());
    pointIntoWindow();
    typeKey(XK_q);
    expectExitStatus(0);

    ASSERT_NO_FATAL_FAILURE(
        startViewer({viewerPath(), "-display", ":65000"}, {"DISPLAY=" + server_->display()}));
    expectExitStatus(1);
    EXPECT_NE(readFile(errPath()).find("\":65000\""), std::string::npos);
}

// A window larger than the memory left allows for the software picture (its
// buffers, the fast path's storage, the bytes shown): the picture turns
// white with one line on standard error, the viewer keeps running, the
// OpenGL picture is not affected, and the software picture is back once the
// window is small again; so it is after a huge frame that fits. Then the
// memory the huge window took goes back to the system, all but a little.
TEST_F(ViewerTest, SurvivesAWindowTooLargeForMemoryAndRecovers) {
    // A frame of 8000 x 8000 pixels and more on a loaded machine.
    constexpr double kHugeFrameSeconds = 120.0;
    struct Case {
        unsigned long long limit;   // address space, bytes; 0: none
        int side;                   // of the huge window
        bool shrinksShowingOpenGL;  // `g` pressed before the window shrinks
    };
    const Case cases[] = {
        {0, 8000, false},                 // it all fits
        {0, 8000, true},                  // the same, shrinking in the OpenGL mode
        {2500ull << 20, 12000, false},    // 12000 x 12000 buffers need 2.9 GB
        {2175000ull << 10, 8000, false},  // the buffers fit, the rest of the frame does not
    };
    // The GL library draws on the viewer's thread here. With rasteriser
    // threads, llvmpipe takes the first idle batch for new work and lets go
    // of a finished batch's framebuffer only when it takes that batch again:
    // a huge frame drawn while the first batch was still busy can leave the
    // huge window's colour and depth in a batch that small frames never
    // take, and no OpenGL call makes it let go. On the viewer's thread every
    // batch is done before the next begins, so the first batch is the only
    // one, and the next frame takes it. The address-space limits are for
    // this setting, which also keeps them the same on any machine (no
    // rasteriser threads, whose stacks and heaps follow the processor
    // count). Measured for the last case: the 8000 x 8000 buffers do not fit
    // in 2,100,000 KiB and do in 2,170,000; the whole frame takes 2,236,604.
    const std::vector<std::string> glOnTheViewersThread = {"LP_NUM_THREADS=0"};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.side) + (c.shrinksShowingOpenGL ? ", then OpenGL" : ""));
        ChildSettings limited;
        limited.addressSpaceLimit = c.limit;
        ASSERT_NO_FATAL_FAILURE(startViewerWithFrame(limited, {}, glOnTheViewersThread));
        pointIntoWindow();
        // A picture that two captures in a row agree on, and that `accept` takes.
        const auto settled = [&](const std::function<bool(const RgbImage&)>& accept,
                                 RgbImage* out) {
            RgbImage previous;
            return waitUntil(
                [&] {
                    previous = *out;
                    *out = client_->captureScreen(0, 0, kSize, kSize);
                    return out->rgb == previous.rgb && accept(*out);
                },
                kFrameSeconds);
        };
        // Before its first frame the window is one colour; on a loaded machine
        // that could settle and pass for the reference.
        const auto drawn = [](const RgbImage& shown) {
            // Every pixel equals the one before it only where all are one colour.
            return shown.rgb.size() > 3 &&
                   !std::equal(shown.rgb.begin() + 3, shown.rgb.end(), shown.rgb.begin());
        };
        RgbImage reference, software;
        ASSERT_TRUE(settled(drawn, &reference));
        typeKey(XK_g);
        ASSERT_TRUE(
            settled([&](const RgbImage& shown) { return shown.rgb != reference.rgb; }, &software))
            << "no software picture";
        const auto resize = [&](int side, int x, int y) {
            XMoveResizeWindow(client_->raw(), window_, x, y, side, side);
            client_->sync();
        };
        const auto shows = [&](const RgbImage& picture) {
            return client_->captureScreen(0, 0, kSize, kSize).rgb == picture.rgb;
        };
        // What is resident once a larger window has come and gone, as the
        // huge one will: what the GL library and the allocator keep after any
        // resize is not the huge frame's.
        // The larger frame, 16 times the small one, is timed like a huge one.
        resize(4 * kSize, 0, 0);
        ASSERT_TRUE(waitUntil([&] { return !shows(software); }, kHugeFrameSeconds));
        resize(kSize, 0, 0);
        ASSERT_TRUE(waitUntil([&] { return shows(software); }, kHugeFrameSeconds))
            << "the software picture did not come back after " << 4 * kSize << " x " << 4 * kSize;
        const long residentBefore = residentKiB(viewer_->pid());
        ASSERT_GT(residentBefore, 0);
        // Whether the viewer comes to hold less than `moreKiB` above that, in
        // time; if not, what it holds and in which mappings.
        const auto residentFallsBelow = [&](long moreKiB,
                                            const char* when) -> ::testing::AssertionResult {
            long resident = 0;
            if (waitUntil(
                    [&] {
                        resident = residentKiB(viewer_->pid());
                        return resident < residentBefore + moreKiB;
                    },
                    kFrameSeconds))
                return ::testing::AssertionSuccess();
            return ::testing::AssertionFailure()
                   << "resident " << residentBefore << " KiB before the huge window, " << resident
                   << " KiB " << when << ", in\n"
                   << largeResidentMappings(viewer_->pid(), 16 << 10);
        };

        // A square inside a patch, put on the screen: (240, 180) from the top
        // left of the 480 x 480 picture lies 24 pixels deep in one, so
        // side / 480 times that in the huge window.
        constexpr int kShown = 400;
        const int scale = c.side / kSize;
        const auto middle = [&] { return client_->captureScreen(0, 0, kShown, kShown); };
        const auto says = [&](const char* text) {
            return readFile(errPath()).find(text) != std::string::npos;
        };
        const auto middleWhite = [&] { return isWhiteRegion(middle(), 0, 0, kShown, kShown); };
        resize(c.side, kShown / 2 - 240 * scale, kShown / 2 - 180 * scale);
        if (c.limit != 0) {
            ASSERT_TRUE(waitUntil([&] { return says("not enough memory"); }, kHugeFrameSeconds))
                << "stderr: " << readFile(errPath());
            EXPECT_TRUE(waitUntil(middleWhite, kHugeFrameSeconds));
            EXPECT_TRUE(viewer_->running());
            // Showing white, the viewer holds no software buffers: less than
            // the colour buffer alone (12 bytes a pixel) above what it held
            // before, although the GL library's window takes 8 bytes a pixel.
            EXPECT_TRUE(residentFallsBelow(12LL * c.side * c.side / 1024, "while it shows white"));

            typeKey(XK_g);  // the OpenGL picture needs no such memory
            EXPECT_TRUE(waitUntil([&] { return !middleWhite(); }, kHugeFrameSeconds))
                << "no OpenGL picture at " << c.side << " x " << c.side;
            typeKey(XK_g);
        } else {
            // All of the square inside the patch: the huge frame itself,
            // not what the window showed before it.
            const auto middleCovered = [&] {
                const RgbImage shown = middle();
                for (int y = 0; y < kShown; ++y)
                    for (int x = 0; x < kShown; ++x)
                        if (shown.isWhite(x, y)) return false;
                return true;
            };
            ASSERT_TRUE(waitUntil(middleCovered, kHugeFrameSeconds))
                << "no software picture at " << c.side << " x " << c.side;
            if (c.shrinksShowingOpenGL) {
                const RgbImage shown = middle();
                typeKey(XK_g);
                ASSERT_TRUE(waitUntil([&] { return middle().rgb != shown.rgb; }, kHugeFrameSeconds))
                    << "no OpenGL picture at " << c.side << " x " << c.side;
            }
        }

        resize(kSize, 0, 0);
        const RgbImage& small = c.shrinksShowingOpenGL ? reference : software;
        EXPECT_TRUE(
            waitUntil([&] { return client_->captureScreen(0, 0, kSize, kSize).rgb == small.rgb; },
                      kHugeFrameSeconds))
            << "the " << (c.shrinksShowingOpenGL ? "OpenGL" : "software")
            << " picture did not come back";
        // What a huge frame may leave behind: the heap, where the GL
        // library's small allocations for it lie, stays 10 to 33 MiB larger,
        // the most after an OpenGL frame. The allowance stays below the
        // smallest buffer of the huge frame, one byte a pixel at 8000 x 8000
        // (62,500 KiB), so a buffer never given back cannot hide in it.
        constexpr long kKeptKiB = 48 << 10;
        EXPECT_TRUE(residentFallsBelow(kKeptKiB, "after it"));
        ASSERT_TRUE(viewer_->running()) << "stderr: " << readFile(errPath());
        const std::string err = readFile(errPath());
        if (c.limit != 0) {
            EXPECT_EQ(countLines(err), 1) << err;
            const std::string size = std::to_string(c.side) + " x " + std::to_string(c.side);
            EXPECT_NE(err.find(size), std::string::npos) << err;
        } else {
            EXPECT_EQ(err, "");
        }
        typeKey(XK_q);
        expectExitStatus(0);
    }
}

}  // namespace
