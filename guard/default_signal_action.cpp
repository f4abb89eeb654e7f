#include "guard/default_signal_action.h"

#include <signal.h>

#include <cerrno>
#include <cstring>

void raiseWithDefaultAction(int signal) {
    const int savedErrno = errno;
    struct sigaction fallback;
    std::memset(&fallback, 0, sizeof fallback);
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    sigset_t unblock;
    sigemptyset(&unblock);
    sigaddset(&unblock, signal);
    sigprocmask(SIG_UNBLOCK, &unblock, nullptr);
    raise(signal);
    errno = savedErrno;
}
