#pragma once

#include <signal.h>
#include <sys/types.h>

#include <string>

// Temporary files that must not outlive the process. While one is listed, a
// SIGINT, SIGTERM, SIGHUP or SIGPIPE removes every listed file and then ends the
// process by that signal, so the caller sees the usual status.

// Installs the signal handlers (once; a signal ignored at start stays
// ignored).
void removeTemporariesOnSignals();

// Creates a new empty file named .rasterwork-snapshot-XXXXXX (with `mode`,
// less the umask) in the directory open as `directory` and lists it, with no moment in between
// at which a signal could leave it behind. Names are relative to that
// descriptor, which must stay open while the file is listed, so no path
// length limits them. Returns the open descriptor and sets *name, or -1 with
// errno set.
int createTemporary(int directory, mode_t mode, std::string* name);

// Takes a file off the list; with `remove` it is unlinked first.
void forgetTemporary(int directory, const std::string& name, bool remove);

// Unlinks every listed file; safe inside a signal handler.
void removeListedTemporaries();

// Holds back the signals above for its lifetime: what is done meanwhile is
// done completely before one of them can end the process.
class HandledSignalsHeld {
  public:
    HandledSignalsHeld();
    ~HandledSignalsHeld();
    HandledSignalsHeld(const HandledSignalsHeld&) = delete;
    HandledSignalsHeld& operator=(const HandledSignalsHeld&) = delete;

  private:
    sigset_t previous_;
};
