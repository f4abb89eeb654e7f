#pragma once

#include <memory>
#include <string>

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
// library (drawing a large picture) while the server is fine.
//
// A crash meanwhile (SIGSEGV, SIGBUS) is told apart by the state of the
// connections to the server: when one has been broken, the GL libraries
// failed on the lost connection (they do not all check for it) and the
// program ends with one line saying so, status 1; otherwise it is a crash,
// said in one line, and the process ends by the signal as any crash does.
// Uses SIGALRM, the real-time interval timer and those two signals, which
// nothing else may use meanwhile. Stretches do not nest.
class XWaitBound {
  public:
    enum class Limit { WholeStretch, ServerAnswers };

    XWaitBound(const std::string& program, const std::string& display, const std::string& what,
               double seconds, Limit limit = Limit::WholeStretch);
    ~XWaitBound();
    XWaitBound(const XWaitBound&) = delete;
    XWaitBound& operator=(const XWaitBound&) = delete;

  private:
    std::unique_ptr<XServerPing> ping_;
};
