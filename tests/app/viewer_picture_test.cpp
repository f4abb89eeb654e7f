// The real viewer under an Xvfb of its own: what its pictures show, checked
// against where the camera maths puts each patch.
#include "viewer_fixture.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "projection.h"
#include "scene/default_scene.h"
#include "view/camera.h"
#include "view/view.h"
#include "view/view_state.h"

namespace {

const int kPatchChannel[3] = {0, 2, 1};  // red, blue, green
const char* const kPatchName[3] = {"red object 0", "blue object 1", "green object 2"};

struct ScreenPoint {
    int x = 0;
    int y = 0;  // from the top, as on the screen
};

// Projects the three patch points for a window of width x height at (0, 0).
std::vector<ScreenPoint> predictPatches(const View& view, int width, int height) {
    applyView(view);
    Scene scene;
    buildDefaultScene(scene);
    setupCamera(scene, width, height);
    std::vector<ScreenPoint> points;
    for (int k = 0; k < 3; ++k) {
        double wx, wy, wz;
        defaultPatchPoint(k, &wx, &wy, &wz);
        WindowPoint p;
        EXPECT_TRUE(projectToWindow(scene, wx, wy, wz, width, height, &p));
        points.push_back({static_cast<int>(p.x), height - 1 - static_cast<int>(p.y)});
    }
    return points;
}

int inkInOverlayBand(const RgbImage& image) {
    int ink = 0;
    for (int y = image.height - 32; y < image.height - 2; ++y) {
        for (int x = 0; x < 360 && x < image.width; ++x) ink += !image.isWhite(x, y);
    }
    return ink;
}

// White background out to the edges of the window: the top and bottom rows
// and the two top corners. The patches may reach the left and right edges,
// and the overlay the bottom corners.
bool edgesAreWhite(const RgbImage& image) {
    for (int x = 0; x < image.width; ++x) {
        if (!image.isWhite(x, 0) || !image.isWhite(x, image.height - 1)) return false;
    }
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 20; ++x) {
            if (!image.isWhite(x, y) || !image.isWhite(image.width - 1 - x, y)) return false;
        }
    }
    return true;
}

int pixelsOfChannel(const RgbImage& image, int channel) {
    int count = 0;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) count += dominantChannel(image.at(x, y)) == channel;
    }
    return count;
}

bool inside(const RgbImage& image, const ScreenPoint& p) {
    return p.x >= 0 && p.y >= 0 && p.x < image.width && p.y < image.height;
}

// Every patch predicted inside the window shows its colour there; at least
// one patch must be inside.
bool patchesAt(const RgbImage& image, const std::vector<ScreenPoint>& points) {
    int checked = 0;
    for (int k = 0; k < 3; ++k) {
        if (!inside(image, points[k])) continue;
        if (dominantChannel(image.at(points[k].x, points[k].y)) != kPatchChannel[k]) return false;
        ++checked;
    }
    return checked > 0;
}

std::string describePatches(const RgbImage& image, const std::vector<ScreenPoint>& points) {
    std::string text;
    for (int k = 0; k < 3; ++k) {
        const ScreenPoint& p = points[k];
        text += std::string(kPatchName[k]) + " expected at " + std::to_string(p.x) + "," +
                std::to_string(p.y);
        if (inside(image, p)) {
            const std::uint8_t* c = image.at(p.x, p.y);
            text += " shows " + std::to_string(c[0]) + "," + std::to_string(c[1]) + "," +
                    std::to_string(c[2]);
        }
        text += "; ";
    }
    return text;
}

// A copy of the picture with a cross at every predicted patch point: black
// where the colour matched, magenta where it did not.
RgbImage markPredictions(RgbImage image, const std::vector<ScreenPoint>& points) {
    for (int k = 0; k < 3; ++k) {
        const ScreenPoint& p = points[k];
        const bool ok = inside(image, p) && dominantChannel(image.at(p.x, p.y)) == kPatchChannel[k];
        for (int d = -6; d <= 6; ++d) {
            for (const auto& q : {std::make_pair(p.x + d, p.y), std::make_pair(p.x, p.y + d)}) {
                if (q.first < 0 || q.second < 0 || q.first >= image.width ||
                    q.second >= image.height || d == 0)
                    continue;
                std::uint8_t* c = &image.rgb[(q.second * image.width + q.first) * 3];
                c[0] = ok ? 0 : 255;
                c[1] = 0;
                c[2] = ok ? 0 : 255;
            }
        }
    }
    return image;
}

class ViewerPicture : public ViewerFixture {
  protected:
    void SetUp() override {
        ASSERT_NO_FATAL_FAILURE(ViewerFixture::SetUp());
        ASSERT_NO_FATAL_FAILURE(startViewerWindow());
    }

    RgbImage capture() { return client_->captureScreen(0, 0, width_, height_); }

    // Waits until the screen satisfies `condition`; on time-out keeps the
    // last picture (and the marked predictions) as PPM files.
    template <typename F>
    bool waitForPicture(const std::string& name, F condition,
                        const std::vector<ScreenPoint>& marks = {}) {
        const bool ok = waitUntil(
            [&] {
                last_ = capture();
                return condition(last_);
            },
            kFrameSeconds);
        if (!ok) {
            writePpm(dir_ + "/" + name + ".ppm", last_);
            if (!marks.empty()) {
                writePpm(dir_ + "/" + name + "-marked.ppm", markPredictions(last_, marks));
            }
            std::printf("picture %s saved as %s.ppm with the viewer's output\n", name.c_str(),
                        name.c_str());
        }
        return ok;
    }

    // The reference picture for `view`: each patch in its colour where
    // predicted, the overlay line in the lower-left corner and, unless the
    // view may push the scene to the edges, white out to the edges.
    // `also` tells the new picture from the one before an input.
    bool waitForReference(const std::string& name, const View& view, bool whiteEdges = true,
                          const std::function<bool(const RgbImage&)>& also = nullptr) {
        const std::vector<ScreenPoint> points = predictPatches(view, width_, height_);
        const bool ok = waitForPicture(
            name,
            [&](const RgbImage& image) {
                return (!whiteEdges || edgesAreWhite(image)) && patchesAt(image, points) &&
                       inkInOverlayBand(image) > 200 && (!also || also(image));
            },
            points);
        if (!ok) ADD_FAILURE() << name << ": " << describePatches(last_, points);
        return ok;
    }

    void drag(unsigned button, int fromX, int fromY, int toX, int toY) {
        client_->movePointer(fromX, fromY);
        client_->pressButton(button);
        const int steps = 10;
        for (int i = 1; i <= steps; ++i) {
            client_->movePointer(fromX + (toX - fromX) * i / steps,
                                 fromY + (toY - fromY) * i / steps);
        }
        client_->releaseButton(button);
    }

    void typeG() {
        client_->movePointer(width_ / 2, height_ / 2);
        client_->pressKey("g");
    }

    int width_ = 480;
    int height_ = 480;
    RgbImage last_;
};

TEST_F(ViewerPicture, FirstFramesShowThePatchesAndTheOverlay) {
    EXPECT_TRUE(waitForReference("first", View()));
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerPicture, GSwitchesToTheSoftwarePictureAndBack) {
    ASSERT_TRUE(waitForReference("reference", View()));
    typeG();
    // Only the reference draws the overlay; whatever the software picture
    // holds, the corner goes blank and the edges stay white.
    EXPECT_TRUE(waitForPicture("software", [](const RgbImage& image) {
        return inkInOverlayBand(image) == 0 && edgesAreWhite(image);
    }));
    const RgbImage software = last_;
    typeG();
    // The first reference frame after a software frame draws the overlay in
    // the colour of the last pixel presented, white here; the next frame
    // draws it in the colour of the last face again. The software picture
    // also has an empty overlay band, so wait for the picture to change
    // before the next input: otherwise both inputs may reach the viewer
    // before one idle pass and give only one frame.
    EXPECT_TRUE(waitForPicture("reference-again", [&](const RgbImage& image) {
        return image.rgb != software.rgb && inkInOverlayBand(image) == 0 &&
               dominantChannel(image.at(240, 160)) == 1;
    }));
    client_->pressButton(2);
    client_->releaseButton(2);
    EXPECT_TRUE(waitForReference("reference-again-next-frame", View()));
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerPicture, LeftDragTurnsTheScene) {
    ASSERT_TRUE(waitForReference("before", View()));
    const RgbImage before = last_;
    // One degree per pixel: x turns about Z, y tilts about X.
    drag(1, 200, 200, 275, 230);
    View turned;
    turned.angleZ += 75.0f;
    turned.angleX += 30.0f;
    EXPECT_TRUE(waitForReference("turned", turned, false,
                                 [&](const RgbImage& image) { return image.rgb != before.rgb; }));
    // The patches did move: at least one predicted point moved by 20 pixels.
    const std::vector<ScreenPoint> a = predictPatches(View(), width_, height_);
    const std::vector<ScreenPoint> b = predictPatches(turned, width_, height_);
    double moved = 0.0;
    for (int k = 0; k < 3; ++k)
        moved = std::max(moved, std::hypot(a[k].x - b[k].x, a[k].y - b[k].y));
    EXPECT_GT(moved, 20.0);
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerPicture, WheelZoomsInAndOut) {
    ASSERT_TRUE(waitForReference("before", View()));
    const int greenBefore = pixelsOfChannel(last_, 1);
    // A notch arrives as a press and a release, each moving zoom by one.
    client_->movePointer(240, 240);
    client_->pressButton(4);
    client_->releaseButton(4);
    View nearer;
    nearer.zoom += 2.0f;
    // Nearer, the green patch covers more pixels.
    EXPECT_TRUE(waitForReference("nearer", nearer, false, [&](const RgbImage& image) {
        return pixelsOfChannel(image, 1) > greenBefore * 5 / 4;
    }));

    for (int i = 0; i < 3; ++i) {
        client_->pressButton(5);
        client_->releaseButton(5);
    }
    View farther;
    farther.zoom -= 4.0f;
    EXPECT_TRUE(waitForReference("farther", farther, true, [&](const RgbImage& image) {
        return pixelsOfChannel(image, 1) < greenBefore * 4 / 5;
    }));
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerPicture, RightDragPansThePicture) {
    ASSERT_TRUE(waitForReference("before", View()));
    const RgbImage before = last_;
    drag(3, 240, 240, 260, 290);
    View panned;
    panned.panX = 20.0f;
    panned.panY = 50.0f;
    // Right and down on the screen, as the pointer went.
    const std::vector<ScreenPoint> a = predictPatches(View(), width_, height_);
    const std::vector<ScreenPoint> b = predictPatches(panned, width_, height_);
    for (int k = 0; k < 3; ++k) {
        EXPECT_GT(b[k].x, a[k].x + 10) << k;
        EXPECT_GT(b[k].y, a[k].y + 30) << k;
    }
    EXPECT_TRUE(waitForReference("panned", panned, false,
                                 [&](const RgbImage& image) { return image.rgb != before.rgb; }));
    EXPECT_EQ(printed(), "");
}

TEST_F(ViewerPicture, ResizedWindowIsFilledAtTheNewSize) {
    ASSERT_TRUE(waitForReference("before", View()));
    for (const auto& size : {std::make_pair(640, 360), std::make_pair(300, 700)}) {
        XResizeWindow(client_->raw(), window_, size.first, size.second);
        client_->sync();
        width_ = size.first;
        height_ = size.second;
        int x = 0, y = 0, w = 0, h = 0;
        ASSERT_TRUE(waitUntil(
            [&] {
                return client_->geometry(window_, &x, &y, &w, &h) && w == width_ && h == height_;
            },
            kFrameSeconds));
        EXPECT_TRUE(
            waitForReference(std::to_string(width_) + "x" + std::to_string(height_), View()));
    }
    EXPECT_EQ(printed(), "");
    EXPECT_TRUE(viewer_->running());
}

}  // namespace
