#pragma once

#include <sys/types.h>

#include <string>

// An Xvfb server of our own on a display number Xvfb picks itself
// (-displayfd), so parallel test runs never collide. Killed on destruction.
class XvfbServer {
  public:
    explicit XvfbServer(int screenWidth = 1280, int screenHeight = 1024);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool ok() const { return pid_ > 0 && !display_.empty(); }
    const std::string& display() const { return display_; }  // e.g. ":93"
    const std::string& error() const { return error_; }

  private:
    pid_t pid_ = -1;
    std::string display_;
    std::string error_;
};
