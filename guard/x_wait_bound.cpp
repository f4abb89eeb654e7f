#include "guard/x_wait_bound.h"

#include <cstdio>

#include "base/shown_text.h"
#include "guard/time_bound.h"
#include "guard/x_server_ping.h"

namespace {

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
    const std::string line = program + ": " + unansweredText(display, what, seconds) + "\n";
    message_.keep(line);
    endWhenTimeRunsOut(line);
    armRealTimer(seconds);
    if (limit == Limit::ServerAnswers) {
        // Connecting is itself a wait on the server, bounded by the timer.
        ping_ = std::make_unique<XServerPing>(display, seconds, message_);
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
    if (attemptWithin(seconds, wait)) return true;
    *unanswered = unansweredText(display, what, seconds);
    return false;
}
