#pragma once

#include <string>

// Temporary files that must not outlive the process. While one is listed, a
// SIGINT, SIGTERM, SIGHUP or SIGPIPE removes every listed file and then ends the
// process by that signal, so the caller sees the usual status.

// Installs the signal handlers (once; a signal ignored at start stays
// ignored).
void removeTemporariesOnSignals();

// Creates a new empty file named `directory`/.rasterwork-snapshot-XXXXXX
// (mode 0600) and lists it, with no moment in between at which a signal
// could leave it behind. Returns the open descriptor and sets *name, or -1
// with errno set.
int createTemporary(const std::string& directory, std::string* name);

// Takes a file off the list; with `remove` it is unlinked first.
void forgetTemporary(const std::string& name, bool remove);

// Unlinks every listed file; safe inside a signal handler.
void removeListedTemporaries();
