#include "guard/time_bound.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/time.h>

#include <cmath>
#include <cstdio>
#include <cstring>

#include "guard/signal_messages.h"

// ---------------------------------------------------------------------------
// SIGALRM: its one handler and what it may do
// ---------------------------------------------------------------------------
namespace {

// Built before the timer is armed: the handler only writes it out.
SignalMessage lastLine;
// Where an attempt goes back to when the timer fires; none outside one.
sigjmp_buf* volatile escape = nullptr;

void timeRanOut(int) {
    if (escape != nullptr) siglongjmp(*escape, 1);
    lastLine.sayAndEnd();
}

// The one place SIGALRM's handler is installed.
void handleTheTimer() {
    setSignalHandler(SIGALRM, timeRanOut);
}

}  // namespace

void endWhenTimeRunsOut(const std::string& line) {
    lastLine.keep(line);
    handleTheTimer();
}

bool attemptWithin(double seconds, const std::function<void()>& wait) {
    handleTheTimer();
    static sigjmp_buf timedOut;
    if (sigsetjmp(timedOut, 1) != 0) {
        escape = nullptr;
        return false;
    }
    escape = &timedOut;
    armRealTimer(seconds);
    wait();
    armRealTimer(0.0);
    escape = nullptr;
    return true;
}

void armRealTimer(double seconds) {
    itimerval timer;
    std::memset(&timer, 0, sizeof timer);
    if (seconds > 0.0) {
        const double whole = std::floor(seconds);
        long micro = static_cast<long>(std::ceil((seconds - whole) * 1e6));
        time_t sec = static_cast<time_t>(whole);
        if (micro >= 1000000) {
            ++sec;
            micro -= 1000000;
        }
        if (sec == 0 && micro == 0) micro = 1;
        timer.it_value.tv_sec = sec;
        timer.it_value.tv_usec = static_cast<suseconds_t>(micro);
    }
    setitimer(ITIMER_REAL, &timer, nullptr);
}

// ---------------------------------------------------------------------------

TimeBound::TimeBound(const std::string& program, const std::string& what, double seconds) {
    char secondsText[32];
    std::snprintf(secondsText, sizeof secondsText, "%g", seconds);
    endWhenTimeRunsOut(program + ": " + what + " did not finish within " + secondsText + " s\n");
    armRealTimer(seconds);
}

TimeBound::~TimeBound() {
    armRealTimer(0.0);
}
