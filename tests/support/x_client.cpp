#include "x_client.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

#include <cstdio>

XClient::XClient(const std::string& display) {
    display_ = XOpenDisplay(display.c_str());
}

XClient::~XClient() {
    if (display_) XCloseDisplay(display_);
}

std::string XClient::windowTitle(Window window) {
    char* name = nullptr;
    std::string title;
    if (XFetchName(display_, window, &name) && name) {
        title = name;
        XFree(name);
    }
    return title;
}

namespace {
Window findByTitle(XClient& client, Window root, const std::string& title) {
    Window rootReturn, parent;
    Window* children = nullptr;
    unsigned count = 0;
    if (!XQueryTree(client.raw(), root, &rootReturn, &parent, &children, &count)) return 0;
    Window found = 0;
    for (unsigned i = 0; i < count && !found; ++i) {
        if (client.windowTitle(children[i]) == title) found = children[i];
    }
    for (unsigned i = 0; i < count && !found; ++i) found = findByTitle(client, children[i], title);
    if (children) XFree(children);
    return found;
}
}  // namespace

Window XClient::waitForWindow(const std::string& title, double timeoutSeconds) {
    Window found = 0;
    waitUntil(
        [&] {
            found = findByTitle(*this, DefaultRootWindow(display_), title);
            if (!found) return false;
            XWindowAttributes attributes;
            return XGetWindowAttributes(display_, found, &attributes) &&
                   attributes.map_state == IsViewable;
        },
        timeoutSeconds);
    return found;
}

bool XClient::geometry(Window window, int* x, int* y, int* width, int* height) {
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display_, window, &attributes)) return false;
    Window child;
    XTranslateCoordinates(display_, window, DefaultRootWindow(display_), 0, 0, x, y, &child);
    *width = attributes.width;
    *height = attributes.height;
    return true;
}

void XClient::moveWindow(Window window, int x, int y) {
    XMoveWindow(display_, window, x, y);
    XSync(display_, False);
}

RgbImage XClient::captureScreen(int x, int y, int width, int height) {
    RgbImage image;
    XImage* raw =
        XGetImage(display_, DefaultRootWindow(display_), x, y, width, height, AllPlanes, ZPixmap);
    if (!raw) return image;
    image.width = width;
    image.height = height;
    image.rgb.resize(static_cast<size_t>(width) * height * 3);
    for (int row = 0; row < height; ++row) {
        for (int col = 0; col < width; ++col) {
            const unsigned long pixel = XGetPixel(raw, col, row);
            std::uint8_t* out = &image.rgb[(static_cast<size_t>(row) * width + col) * 3];
            out[0] = static_cast<std::uint8_t>((pixel & raw->red_mask) >> 16);
            out[1] = static_cast<std::uint8_t>((pixel & raw->green_mask) >> 8);
            out[2] = static_cast<std::uint8_t>(pixel & raw->blue_mask);
        }
    }
    XDestroyImage(raw);
    return image;
}

RgbImage XClient::captureWindow(Window window) {
    int x, y, width, height;
    if (!geometry(window, &x, &y, &width, &height)) return RgbImage();
    return captureScreen(x, y, width, height);
}

void XClient::pressKey(const std::string& keysymName) {
    const KeyCode code = XKeysymToKeycode(display_, XStringToKeysym(keysymName.c_str()));
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    XSync(display_, False);
}

void XClient::movePointer(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

void XClient::pressButton(unsigned button) {
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XSync(display_, False);
}

void XClient::releaseButton(unsigned button) {
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
}

void XClient::sync() {
    XSync(display_, False);
}

bool writePpm(const std::string& path, const RgbImage& image) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    std::fprintf(f, "P6\n%d %d\n255\n", image.width, image.height);
    const bool ok = std::fwrite(image.rgb.data(), 1, image.rgb.size(), f) == image.rgb.size();
    return std::fclose(f) == 0 && ok;
}
