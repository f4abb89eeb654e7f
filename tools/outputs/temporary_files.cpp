#include "tools/outputs/temporary_files.h"

#include <fcntl.h>
#include <limits.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "guard/default_signal_action.h"

namespace {

// Fixed storage, so the signal handler reads no memory that could be in the
// middle of being reallocated.
constexpr int kMaxListed = 8;
int listedDirectory[kMaxListed];
char listed[kMaxListed][NAME_MAX + 1];
volatile sig_atomic_t inUse[kMaxListed];

// SIGPIPE too: a reader that goes away must not leave a temporary behind.
constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

void removeAndResignal(int signal) {
    removeListedTemporaries();
    raiseWithDefaultAction(signal);
}

// A new name of the temporary pattern, with six random letters or digits.
std::string randomName() {
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    unsigned char bytes[6] = {};
    if (getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        static unsigned counter = 0;
        const unsigned seed = static_cast<unsigned>(getpid()) * 2654435761u + ++counter;
        std::memcpy(bytes, &seed, sizeof seed);
    }
    std::string name = ".rasterwork-snapshot-";
    for (const unsigned char b : bytes) name += kLetters[b % (sizeof kLetters - 1)];
    return name;
}

}  // namespace

HandledSignalsHeld::HandledSignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int s : kSignals) sigaddset(&held, s);
    sigprocmask(SIG_BLOCK, &held, &previous_);
}

HandledSignalsHeld::~HandledSignalsHeld() {
    sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

void removeListedTemporaries() {
    for (int i = 0; i < kMaxListed; ++i) {
        if (inUse[i]) unlinkat(listedDirectory[i], listed[i], 0);
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

int createTemporary(int directory, mode_t mode, std::string* name) {
    const HandledSignalsHeld held;
    int slot = 0;
    while (slot < kMaxListed && inUse[slot]) ++slot;
    if (slot == kMaxListed) {
        errno = EMFILE;
        return -1;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string candidate = randomName();
        const int fd = openat(directory, candidate.c_str(),
                              O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return -1;
        listedDirectory[slot] = directory;
        std::memcpy(listed[slot], candidate.c_str(), candidate.size() + 1);
        inUse[slot] = 1;
        *name = candidate;
        return fd;
    }
    errno = EEXIST;
    return -1;
}

void forgetTemporary(int directory, const std::string& name, bool remove) {
    const HandledSignalsHeld held;
    for (int i = 0; i < kMaxListed; ++i) {
        if (inUse[i] && listedDirectory[i] == directory && name == listed[i]) {
            if (remove) unlinkat(directory, listed[i], 0);
            inUse[i] = 0;
            return;
        }
    }
}
