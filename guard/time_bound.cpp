#include "guard/time_bound.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "guard/startup_messages.h"

namespace {

// Built before the timer is armed: the handler only writes it out.
char message[1024];
std::size_t messageLength = 0;

void giveUp(int) {
    if (write(programStandardError(), message, messageLength) < 0) {
        // Nothing more to say; the status tells the rest.
    }
    _exit(1);
}

}  // namespace

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

TimeBound::TimeBound(const std::string& program, const std::string& what, double seconds) {
    char secondsText[32];
    std::snprintf(secondsText, sizeof secondsText, "%g", seconds);
    const std::string line =
        program + ": " + what + " did not finish within " + secondsText + " s\n";
    messageLength = std::min(line.size(), sizeof message);
    std::memcpy(message, line.data(), messageLength);
    message[messageLength - 1] = '\n';
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = giveUp;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    armRealTimer(seconds);
}

TimeBound::~TimeBound() {
    armRealTimer(0.0);
}
