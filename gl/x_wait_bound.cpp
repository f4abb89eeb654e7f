#include "gl/x_wait_bound.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Built before the timer is armed: the handler only writes it out.
char message[1024];
std::size_t messageLength = 0;

void giveUp(int) {
    if (write(STDERR_FILENO, message, messageLength) < 0) {
        // Nothing more to say; the status tells the rest.
    }
    _exit(1);
}

void setTimer(double seconds) {
    itimerval timer;
    std::memset(&timer, 0, sizeof timer);
    const double whole = std::floor(seconds);
    timer.it_value.tv_sec = static_cast<time_t>(whole);
    timer.it_value.tv_usec = static_cast<suseconds_t>((seconds - whole) * 1e6);
    setitimer(ITIMER_REAL, &timer, nullptr);
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

}  // namespace

std::string printableDisplayName(const std::string& name) {
    std::string out;
    for (const char c : name) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f || byte == '\\') {
            char code[5];
            std::snprintf(code, sizeof code, "\\x%02x", byte);
            out += code;
        } else {
            out += c;
        }
    }
    return out;
}

XWaitBound::XWaitBound(const std::string& program, const std::string& display,
                       const std::string& what, double seconds) {
    const std::string line = program + ": the X server at '" + printableDisplayName(display) +
                             "' did not answer within " + secondsText(seconds) + " s (" + what +
                             ")\n";
    messageLength = std::min(line.size(), sizeof message);
    std::memcpy(message, line.data(), messageLength);
    message[messageLength - 1] = '\n';
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = giveUp;
    sigemptyset(&action.sa_mask);
    sigaction(SIGALRM, &action, nullptr);
    setTimer(seconds);
}

XWaitBound::~XWaitBound() {
    setTimer(0.0);
}
