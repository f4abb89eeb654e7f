#pragma once

#include <functional>
#include <string>

// The one owner of SIGALRM and the real-time interval timer: every bound on
// a stretch of waiting (this file's TimeBound, XWaitBound) is kept through
// the functions below, and nothing else may install a handler for SIGALRM
// or set the timer. Stretches do not nest.

// Bounds one stretch of waiting on a library that may never return (EGL
// starting up, say): when the stretch takes longer than `seconds`, the
// process writes one line, "<program>: <what> did not finish within
// <seconds> s", to standard error and ends with status 1.
class TimeBound {
  public:
    TimeBound(const std::string& program, const std::string& what, double seconds);
    ~TimeBound();
    TimeBound(const TimeBound&) = delete;
    TimeBound& operator=(const TimeBound&) = delete;
};

// From now on, when the timer fires, `line` (ended with a newline) is the
// program's last (sayLastLineAndEnd), unless an attemptWithin is under way.
void endWhenTimeRunsOut(const std::string& line);

// Runs `wait` with the timer armed for `seconds`: true when it returned in
// time, false when the timer fired first. Whatever `wait` had begun is then
// left as it was, in the middle: none of it may be used again.
bool attemptWithin(double seconds, const std::function<void()>& wait);

// Arms the real-time interval timer to fire once, `seconds` from now; 0
// disarms it. A positive time below the timer's microsecond is rounded up to
// it: a zero timer would switch the bound off.
void armRealTimer(double seconds);
