#include "tools/temporary_files.h"

#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace {

// Fixed storage, so the signal handler reads no memory that could be in the
// middle of being reallocated.
constexpr int kMaxListed = 8;
char listed[kMaxListed][PATH_MAX];
volatile sig_atomic_t inUse[kMaxListed];

// SIGPIPE too: a reader that goes away must not leave a temporary behind.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

// Blocks the handled signals for the life of the object.
class SignalsHeld {
  public:
    SignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (int s : kSignals) sigaddset(&held, s);
        sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~SignalsHeld() { sigprocmask(SIG_SETMASK, &previous_, nullptr); }

  private:
    sigset_t previous_;
};

void removeAndResignal(int signal) {
    const int savedErrno = errno;
    removeListedTemporaries();
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

}  // namespace

void removeListedTemporaries() {
    for (int i = 0; i < kMaxListed; ++i) {
        if (inUse[i]) unlink(listed[i]);
        inUse[i] = 0;
    }
}

void removeTemporariesOnSignals() {
    static bool installed = false;
    if (installed) return;
    installed = true;
    for (int s : kSignals) {
        struct sigaction current;
        if (sigaction(s, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction handler;
        std::memset(&handler, 0, sizeof handler);
        handler.sa_handler = removeAndResignal;
        sigemptyset(&handler.sa_mask);
        for (int other : kSignals) sigaddset(&handler.sa_mask, other);
        sigaction(s, &handler, nullptr);
    }
}

int createTemporary(const std::string& directory, std::string* name) {
    const std::string pattern = directory + "/.rasterwork-snapshot-XXXXXX";
    if (pattern.size() >= PATH_MAX) {
        errno = ENAMETOOLONG;
        return -1;
    }
    const SignalsHeld held;
    int slot = 0;
    while (slot < kMaxListed && inUse[slot]) ++slot;
    if (slot == kMaxListed) {
        errno = EMFILE;
        return -1;
    }
    std::vector<char> buffer(pattern.begin(), pattern.end());
    buffer.push_back('\0');
    const int fd = mkstemp(buffer.data());
    if (fd < 0) return -1;
    std::memcpy(listed[slot], buffer.data(), buffer.size());
    inUse[slot] = 1;
    *name = buffer.data();
    return fd;
}

void forgetTemporary(const std::string& name, bool remove) {
    const SignalsHeld held;
    for (int i = 0; i < kMaxListed; ++i) {
        if (inUse[i] && name == listed[i]) {
            if (remove) unlink(listed[i]);
            inUse[i] = 0;
            return;
        }
    }
}
