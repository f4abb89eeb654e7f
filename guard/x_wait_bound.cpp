#include "guard/x_wait_bound.h"

#include <setjmp.h>
#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "base/shown_text.h"
#include "guard/signal_messages.h"
#include "guard/startup_messages.h"
#include "guard/time_bound.h"
#include "guard/x_server_ping.h"

namespace {

// Built before the timer is armed: the handlers only write them out.
SignalMessage message;
// Where a wait that may fail goes back to when the server does not answer.
sigjmp_buf* volatile escape = nullptr;

void giveUp(int) {
    if (escape != nullptr) siglongjmp(*escape, 1);
    message.say();
    _exit(1);
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

std::string unansweredText(const std::string& display, const std::string& what, double seconds) {
    return "the X server at " + shown(display) + " did not answer within " + secondsText(seconds) +
           " s (" + what + ")";
}

}  // namespace

XWaitBound::XWaitBound(const std::string& program, const std::string& display,
                       const std::string& what, double seconds, Limit limit)
    : failures_(program, display, what) {
    message.keep(program + ": " + unansweredText(display, what, seconds) + "\n");
    setSignalHandler(SIGALRM, giveUp);
    armRealTimer(seconds);
    if (limit == Limit::ServerAnswers) {
        // Connecting is itself a wait on the server, bounded by the timer.
        ping_ = std::make_unique<XServerPing>(display, seconds, message.text, message.length);
        // Without anyone asking, the whole stretch is timed instead.
        if (ping_->asking()) armRealTimer(0.0);
    }
}

XWaitBound::~XWaitBound() {
    ping_.reset();
    armRealTimer(0.0);
}

bool XWaitBound::attempt(const std::string& program, const std::string& display,
                         const std::string& what, double seconds, const std::function<void()>& wait,
                         std::string* unanswered) {
    const LibraryFailureReport failures(program, display, what);
    setSignalHandler(SIGALRM, giveUp);
    static sigjmp_buf timedOut;
    if (sigsetjmp(timedOut, 1) != 0) {
        escape = nullptr;
        *unanswered = unansweredText(display, what, seconds);
        return false;
    }
    escape = &timedOut;
    armRealTimer(seconds);
    wait();
    armRealTimer(0.0);
    escape = nullptr;
    return true;
}
