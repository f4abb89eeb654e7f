#pragma once

#include <X11/Xlib.h>

#include <cstdint>
#include <string>
#include <vector>

#include "rgb_image.h"

// Thin Xlib/XTest client for end-to-end tests: find a window by title, look
// at its pixels, send it real key and pointer events.
class XClient {
  public:
    explicit XClient(const std::string& display);
    ~XClient();
    XClient(const XClient&) = delete;
    XClient& operator=(const XClient&) = delete;

    bool ok() const { return display_ != nullptr; }
    Display* raw() const { return display_; }

    // Polls for a top-level window with this WM_NAME; 0 when none appeared.
    Window waitForWindow(const std::string& title, double timeoutSeconds);
    std::string windowTitle(Window window);
    // Size of the window and its position relative to the root.
    bool geometry(Window window, int* x, int* y, int* width, int* height);
    void moveWindow(Window window, int x, int y);
    // Captures a region of the root window (what is on screen).
    RgbImage captureScreen(int x, int y, int width, int height);
    // Captures the window's area of the screen.
    RgbImage captureWindow(Window window);

    void pressKey(const std::string& keysymName);
    void movePointer(int x, int y);
    void pressButton(unsigned button);
    void releaseButton(unsigned button);
    void sync();

  private:
    Display* display_ = nullptr;
};

// Polls `condition` until it is true or the time is up.
template <typename F>
bool waitUntil(F condition, double timeoutSeconds);

bool writePpm(const std::string& path, const RgbImage& image);

#include "x_client_wait.h"
