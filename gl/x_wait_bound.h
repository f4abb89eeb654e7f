#pragma once

#include <string>

// How long any one wait on the X server may take before the program gives up.
constexpr double kXWaitSeconds = 30.0;

// Bounds one stretch of waiting on the X server: opening the display, a
// round trip, drawing and reading back. If the stretch has not ended within
// `seconds`, the process writes one line, "<program>: the X server at
// '<display>' did not answer within <seconds> s (<what>)", to standard
// error and ends with status 1. A crash meanwhile (SIGSEGV, SIGBUS), which
// the GL libraries can cause when the connection breaks in the middle of a
// request, ends it the same way with a line that says so. Uses SIGALRM, the
// real-time interval timer and those two signals, which nothing else may use
// meanwhile. Stretches do not nest.
class XWaitBound {
  public:
    XWaitBound(const std::string& program, const std::string& display, const std::string& what,
               double seconds);
    ~XWaitBound();
    XWaitBound(const XWaitBound&) = delete;
    XWaitBound& operator=(const XWaitBound&) = delete;
};

// A display name fit for a one-line message: control characters and
// backslashes written as \xNN escapes.
std::string printableDisplayName(const std::string& name);
