#pragma once

#include <string>

#include "guard/x_wait_bound.h"

struct _XDisplay;

// A connection to the X display that glutInit will use, opened first so that
// a program can say in one line why it cannot start instead of failing
// inside GLUT. Keep it open until GLUT has connected: an X server started
// without -noreset (as xvfb-run starts it) resets when its last client
// leaves and refuses connections meanwhile. Opening is bounded: a server
// that does not answer within waitSeconds is a display that cannot be
// opened. Installs nothing process-wide (see startGlut).
class DisplayProbe {
  public:
    DisplayProbe(const std::string& name, const std::string& program,
                 double waitSeconds = kXWaitSeconds);
    ~DisplayProbe();
    DisplayProbe(const DisplayProbe&) = delete;
    DisplayProbe& operator=(const DisplayProbe&) = delete;

    // Empty when the display could be opened, otherwise the reason.
    const std::string& problem() const { return problem_; }
    // The size of its default screen, the largest a window is shown at; 0 x
    // 0 once closed.
    void screenSize(int* width, int* height) const;
    void close();

  private:
    _XDisplay* display_ = nullptr;
    std::string problem_;
};

// The display glutInit will connect to: a -display argument wins over
// DISPLAY; "" when neither names one.
std::string requestedDisplay(int argc, char** argv);
