#include "gl/x_wait_bound.h"

#include <signal.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Built before the timer is armed: the handlers only write them out.
char message[1024];
std::size_t messageLength = 0;
char crashMessage[1024];
std::size_t crashMessageLength = 0;

void giveUp(int) {
    if (write(STDERR_FILENO, message, messageLength) < 0) {
        // Nothing more to say; the status tells the rest.
    }
    _exit(1);
}

// The GL and GLUT libraries do not all check for a connection that broke in
// the middle of a request; some crash instead. Within a bounded stretch that
// ends the program the same way as a lost connection: one line, status 1.
void crashed(int) {
    if (write(STDERR_FILENO, crashMessage, crashMessageLength) < 0) {
        // As above.
    }
    _exit(1);
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
    const std::string server = "the X server at '" + printableDisplayName(display) + "'";
    keep(program + ": " + server + " did not answer within " + secondsText(seconds) + " s (" +
             what + ")\n",
         message, sizeof message, &messageLength);
    keep(program + ": the OpenGL library failed when the connection to " + server +
             " broke down (" + what + ")\n",
         crashMessage, sizeof crashMessage, &crashMessageLength);
    handle(SIGALRM, giveUp);
    handle(SIGSEGV, crashed);
    handle(SIGBUS, crashed);
    setTimer(seconds);
}

XWaitBound::~XWaitBound() {
    setTimer(0.0);
    handle(SIGSEGV, SIG_DFL);
    handle(SIGBUS, SIG_DFL);
}
