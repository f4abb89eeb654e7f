#pragma once

#include <functional>
#include <memory>
#include <string>

#include "guard/library_failures.h"
#include "guard/signal_messages.h"

// How long the X server may take to answer before the program gives up.
constexpr double kXWaitSeconds = 30.0;

class XServerPing;

// Bounds one stretch of waiting on the X server: opening the display, a
// round trip, drawing and reading back. When the server does not answer
// within `seconds`, the process writes one line, "<program>: the X server at
// '<display>' did not answer within <seconds> s (<what>)", to standard error
// and ends with status 1.
//
// Limit::WholeStretch times the whole stretch: for stretches that are all
// waiting on the server. Limit::ServerAnswers times only the server: a
// second connection asks it for a reply in turn, each reply due within the
// bound, for stretches that also do long work of their own or of the GL
// library (drawing a large picture) while the server is fine. Where the
// second connection or its thread cannot be had (a process limit), the
// whole stretch is timed instead.
//
// A crash meanwhile is told apart as LibraryFailureReport tells it. Keeps
// its time through time_bound.h, SIGALRM's owner. Stretches do not nest.
class XWaitBound {
  public:
    enum class Limit { WholeStretch, ServerAnswers };

    XWaitBound(const std::string& program, const std::string& display, const std::string& what,
               double seconds, Limit limit = Limit::WholeStretch);
    ~XWaitBound();
    XWaitBound(const XWaitBound&) = delete;
    XWaitBound& operator=(const XWaitBound&) = delete;

    // A wait the program may survive: runs `wait` within the bound (the
    // whole stretch timed), and when the server does not answer in time
    // returns false with *unanswered the reason ("the X server at ... did
    // not answer within ... s (<what>)") instead of ending the process.
    // Whatever `wait` had begun is then left as it was, in the middle: none
    // of it may be used again.
    static bool attempt(const std::string& program, const std::string& display,
                        const std::string& what, double seconds, const std::function<void()>& wait,
                        std::string* unanswered);

  private:
    LibraryFailureReport failures_;
    SignalMessage message_;  // the line said when the server does not answer
    std::unique_ptr<XServerPing> ping_;
};
