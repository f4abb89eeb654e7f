#pragma once

#include <string>
#include <thread>

#include "guard/signal_messages.h"

struct xcb_connection_t;

// A second connection to the X server that, on a thread of its own, asks the
// server for a reply in turn and needs each within `seconds`. When one does
// not come, says `message` as the program's last line (status 1). A connection that breaks ends the
// asking quietly: the program's own connection reports that. Connecting waits on the server; the
// caller bounds that wait. Where no thread can be started (a process limit, no memory for its
// stack), nothing asks.
class XServerPing {
  public:
    XServerPing(const std::string& display, double seconds, const SignalMessage& message);
    ~XServerPing();
    XServerPing(const XServerPing&) = delete;
    XServerPing& operator=(const XServerPing&) = delete;

    // Whether the server is being asked: false where the second connection
    // or its thread could not be had.
    bool asking() const { return thread_.joinable(); }

  private:
    void askInTurn();

    xcb_connection_t* connection_ = nullptr;
    double seconds_;
    const SignalMessage& message_;
    int stop_[2] = {-1, -1};  // a pipe: closing the writing end stops the asking
    std::thread thread_;
};
