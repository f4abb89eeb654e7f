#include "gl/x_wait_bound.h"

#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/default_signal_action.h"
#include "base/shown_text.h"
#include "gl/startup_messages.h"
#include "gl/time_bound.h"
#include "gl/x_server_ping.h"

namespace {

// Built before the timer is armed: the handlers only write them out.
char message[1024];
std::size_t messageLength = 0;
char lostMessage[1024];
std::size_t lostMessageLength = 0;
char segvMessage[1024];
std::size_t segvMessageLength = 0;
char busMessage[1024];
std::size_t busMessageLength = 0;

void say(const char* text, std::size_t length) {
    if (write(programStandardError(), text, length) < 0) {
        // Nothing more to say; the status tells the rest.
    }
}

void giveUp(int) {
    say(message, messageLength);
    _exit(1);
}

// True when a connection of this process (a socket past the standard
// streams) has been closed or broken by its other end: the X server's.
bool aConnectionBroke() {
    const long last = std::min(sysconf(_SC_OPEN_MAX), 4096L);
    for (int fd = 3; fd < last; ++fd) {
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode)) continue;
        pollfd state{fd, POLLRDHUP, 0};
        if (poll(&state, 1, 0) == 1 && (state.revents & (POLLHUP | POLLRDHUP | POLLERR))) {
            return true;
        }
    }
    return false;
}

// The GL and GLUT libraries do not all check for a connection that broke in
// the middle of a request; some crash instead. That ends the program as a
// lost connection does. Any other crash is reported as what it is and ends
// the process by the signal.
void crashed(int signal) {
    if (aConnectionBroke()) {
        say(lostMessage, lostMessageLength);
        _exit(1);
    }
    if (signal == SIGBUS) {
        say(busMessage, busMessageLength);
    } else {
        say(segvMessage, segvMessageLength);
    }
    raiseWithDefaultAction(signal);
}

void keep(const std::string& line, char* buffer, std::size_t size, std::size_t* length) {
    *length = std::min(line.size(), size);
    std::memcpy(buffer, line.data(), *length);
    buffer[*length - 1] = '\n';
}

void handle(int signal, void (*handler)(int)) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

std::string secondsText(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", seconds);
    return text;
}

}  // namespace

XWaitBound::XWaitBound(const std::string& program, const std::string& display,
                       const std::string& what, double seconds, Limit limit) {
    const std::string server = "the X server at " + shown(display);
    keep(program + ": " + server + " did not answer within " + secondsText(seconds) + " s (" +
             what + ")\n",
         message, sizeof message, &messageLength);
    keep(program + ": the OpenGL library failed when the connection to " + server +
             " broke down (" + what + ")\n",
         lostMessage, sizeof lostMessage, &lostMessageLength);
    keep(program + ": crashed (SIGSEGV, segmentation fault) while " + what + "\n", segvMessage,
         sizeof segvMessage, &segvMessageLength);
    keep(program + ": crashed (SIGBUS, bus error) while " + what + "\n", busMessage,
         sizeof busMessage, &busMessageLength);
    handle(SIGALRM, giveUp);
    handle(SIGSEGV, crashed);
    handle(SIGBUS, crashed);
    armRealTimer(seconds);
    if (limit == Limit::ServerAnswers) {
        // Connecting is itself a wait on the server, bounded by the timer.
        ping_ = std::make_unique<XServerPing>(display, seconds, message, messageLength);
        armRealTimer(0.0);
    }
}

XWaitBound::~XWaitBound() {
    ping_.reset();
    armRealTimer(0.0);
    handle(SIGSEGV, SIG_DFL);
    handle(SIGBUS, SIG_DFL);
}
