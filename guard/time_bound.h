#pragma once

#include <string>

// Bounds one stretch of waiting on a library that may never return (EGL
// starting up, say): when the stretch takes longer than `seconds`, the
// process writes one line, "<program>: <what> did not finish within
// <seconds> s", to standard error and ends with status 1. Uses SIGALRM and
// the real-time interval timer, as XWaitBound does; stretches do not nest.
class TimeBound {
  public:
    TimeBound(const std::string& program, const std::string& what, double seconds);
    ~TimeBound();
    TimeBound(const TimeBound&) = delete;
    TimeBound& operator=(const TimeBound&) = delete;
};

// Arms the real-time interval timer to fire once, `seconds` from now; 0
// disarms it. A positive time below the timer's microsecond is rounded up to
// it: a zero timer would switch the bound off.
void armRealTimer(double seconds);
