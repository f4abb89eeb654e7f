#include "guard/library_failures.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <setjmp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <new>

#include "base/shown_text.h"
#include "guard/default_signal_action.h"
#include "guard/memory_headroom.h"
#include "guard/signal_messages.h"
#include "guard/startup_messages.h"

namespace {

// Built before the handlers are installed: they only write them out.
SignalMessage lostMessage;
SignalMessage segvMessage;
SignalMessage busMessage;
SignalMessage abortMessage;
SignalMessage memoryMessage;
std::terminate_handler previousTerminate = nullptr;
// Where a call that may survive a crash (LibraryFailureReport::survive)
// goes back to, and the signal it came back by.
sigjmp_buf* volatile crashEscape = nullptr;
volatile sig_atomic_t crashSignal = 0;
// The line said when the library ends the program by exit() meanwhile.
SignalMessage exitMessage;

// Where the X server listens, worked out from the display name before the
// handlers may need it: the display number (-1 when the name has none),
// for the Unix socket ".../.X11-unix/X<number>" (also abstract) and the TCP
// port 6000 + number.
int displayNumber = -1;

void takeDisplayNumber(const std::string& display) {
    displayNumber = -1;
    const std::size_t colon = display.rfind(':');
    if (colon == std::string::npos) return;
    int number = 0;
    std::size_t i = colon + 1;
    for (; i < display.size() && display[i] >= '0' && display[i] <= '9' && number < 100000; ++i) {
        number = number * 10 + (display[i] - '0');
    }
    if (i == colon + 1 || (i < display.size() && display[i] != '.')) return;
    displayNumber = number;
}

// Whether a socket is connected to the X server: its peer is the server's
// Unix socket or TCP port (of any display when the number is unknown).
bool toTheXServer(int fd) {
    sockaddr_storage peer;
    socklen_t length = sizeof peer;
    if (getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) return false;
    int port = -1;
    if (peer.ss_family == AF_INET) port = ntohs(reinterpret_cast<sockaddr_in*>(&peer)->sin_port);
    if (peer.ss_family == AF_INET6) port = ntohs(reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port);
    if (port >= 0) {
        return displayNumber >= 0 ? port == 6000 + displayNumber : port >= 6000 && port < 6100;
    }
    if (peer.ss_family != AF_UNIX) return false;
    // The name after "/.X11-unix/X", abstract (after a NUL) or not.
    const char* path = reinterpret_cast<sockaddr_un*>(&peer)->sun_path;
    const std::size_t size = length - offsetof(sockaddr_un, sun_path);
    static const char kDirectory[] = "/.X11-unix/X";
    const std::size_t directoryLength = sizeof kDirectory - 1;
    for (std::size_t at = 0; at + directoryLength <= size; ++at) {
        if (std::memcmp(path + at, kDirectory, directoryLength) != 0) continue;
        int number = 0;
        std::size_t i = at + directoryLength;
        for (; i < size && path[i] >= '0' && path[i] <= '9'; ++i) {
            number = number * 10 + (path[i] - '0');
        }
        const bool ended = i == size || path[i] == '\0';
        if (ended && i > at + directoryLength) {
            return displayNumber < 0 || number == displayNumber;
        }
    }
    return false;
}

// True when a connection of this process to the X server has been closed
// or broken by the server's end. Other sockets (one inherited, whose peer is
// long gone) say nothing about the server.
bool aConnectionBroke() {
    const long last = std::min(sysconf(_SC_OPEN_MAX), 4096L);
    for (int fd = 3; fd < last; ++fd) {
        struct stat info;
        if (fstat(fd, &info) != 0 || !S_ISSOCK(info.st_mode) || !toTheXServer(fd)) continue;
        pollfd state{fd, POLLRDHUP, 0};
        if (poll(&state, 1, 0) == 1 && (state.revents & (POLLHUP | POLLRDHUP | POLLERR))) {
            return true;
        }
    }
    return false;
}

// The GL and GLUT libraries do not all check for a connection that broke in
// the middle of a request, nor for an allocation that failed; some crash or
// abort instead. That ends the program as a lost connection, or memory
// running out, does: one line, status 1. Any other crash is reported as
// what it is and ends the process by the signal.
void crashed(int signal) {
    if (aConnectionBroke()) {
        lostMessage.sayAndEnd();
    }
    if (memoryRanOut()) {
        memoryMessage.sayAndEnd();
    }
    if (crashEscape != nullptr) {
        crashSignal = signal;
        siglongjmp(*crashEscape, 1);
    }
    if (signal == SIGBUS) {
        busMessage.say();
    } else if (signal == SIGABRT) {
        abortMessage.say();
    } else {
        segvMessage.say();
    }
    raiseWithDefaultAction(signal);
}

// An exception the GL library let escape (its compiler's std::bad_alloc,
// say) ends the program in one line too.
void unhandledException() {
    bool noMemory = memoryRanOut();
    try {
        if (const std::exception_ptr escaped = std::current_exception()) {
            std::rethrow_exception(escaped);
        }
    } catch (const std::bad_alloc&) {
        noMemory = true;
    } catch (...) {
    }
    if (noMemory) {
        memoryMessage.sayAndEnd();
    }
    abortMessage.say();
    raiseWithDefaultAction(SIGABRT);
    _exit(134);
}

// A library that calls exit() in a call that may survive a crash ends the
// program in one line of its own, with what the libraries said.
void endedByTheLibrary() {
    if (crashEscape == nullptr) return;
    crashEscape = nullptr;
    const std::string line(exitMessage.text, exitMessage.length - 1);
    const std::string said = releaseStartupMessages() + "\n";
    const std::string whole = line + said;
    sayLastLineAndEnd(whole.data(), whole.size());
}

std::string crashText(int signal) {
    if (signal == SIGBUS) return "crashed (SIGBUS, bus error)";
    if (signal == SIGABRT) return "crashed (SIGABRT, aborted)";
    return "crashed (SIGSEGV, segmentation fault)";
}

}  // namespace

LibraryFailureReport::LibraryFailureReport(const std::string& program, const std::string& display,
                                           const std::string& what) {
    const std::string server = "the X server at " + shown(display);
    lostMessage.keep(program + ": the OpenGL library failed when the connection to " + server +
                     " broke down (" + what + ")\n");
    segvMessage.keep(program + ": crashed (SIGSEGV, segmentation fault) while " + what + "\n");
    busMessage.keep(program + ": crashed (SIGBUS, bus error) while " + what + "\n");
    abortMessage.keep(program + ": crashed (SIGABRT, aborted) while " + what + "\n");
    memoryMessage.keep(program + ": the OpenGL library ran out of memory while " + what + "\n");
    exitMessage.keep(program + ": the OpenGL library ended the program while " + what + "\n");
    what_ = what;
    takeDisplayNumber(display);
    setSignalHandler(SIGSEGV, crashed);
    setSignalHandler(SIGBUS, crashed);
    setSignalHandler(SIGABRT, crashed);
    previousTerminate = std::set_terminate(unhandledException);
}

void LibraryFailureReport::endOnEscapedException() const {
    unhandledException();
    _exit(1);  // not reached: unhandledException ends the process
}

bool LibraryFailureReport::survive(const std::function<void()>& call, std::string* crash) const {
    static bool exitWatched = false;
    if (!exitWatched) exitWatched = std::atexit(endedByTheLibrary) == 0;
    static sigjmp_buf cameBack;
    if (sigsetjmp(cameBack, 1) != 0) {
        crashEscape = nullptr;
        *crash = "the OpenGL library " + crashText(crashSignal) + " while " + what_;
        return false;
    }
    crashEscape = &cameBack;
    try {
        call();
    } catch (...) {
        crashEscape = nullptr;
        endOnEscapedException();
    }
    crashEscape = nullptr;
    return true;
}

LibraryFailureReport::~LibraryFailureReport() {
    setSignalHandler(SIGSEGV, SIG_DFL);
    setSignalHandler(SIGBUS, SIG_DFL);
    setSignalHandler(SIGABRT, SIG_DFL);
    std::set_terminate(previousTerminate);
}
