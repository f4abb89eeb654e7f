#pragma once

#include <string>

// A listening socket where an X server would be, on a display number no
// server uses, that takes connections and never answers: a frozen server.
// Linux abstract socket, so nothing is left in the file system.
class SilentXServer {
  public:
    SilentXServer();
    ~SilentXServer();
    SilentXServer(const SilentXServer&) = delete;
    SilentXServer& operator=(const SilentXServer&) = delete;

    bool ok() const { return fd_ >= 0; }
    // Waits at most `seconds` until a client has connected (and waits for
    // an answer that never comes); true when one has.
    bool waitForClient(double seconds) const;
    const std::string& display() const { return display_; }  // e.g. ":317"

  private:
    int fd_ = -1;
    std::string display_;
};
