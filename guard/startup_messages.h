#pragma once

#include <string>

// What the GL, GLX and GLUT libraries write to standard error while a
// program starts (the GL loader's complaints, say), held back so that a
// failed start is told in one line of the program's own.

// From now on standard error goes to a holding file. Nests: only the first
// call holds.
void holdStartupMessages();

// Standard error is standard error again. Returns everything held since
// the start (or the last forgetStartupMessages), as text to append to a
// one-line message, " (the libraries said: <line>; <line>)" with every byte
// fit for one line, or "" when nothing was written.
std::string releaseStartupMessages();

// The start went well: what was held is dropped.
void forgetStartupMessages();

// The program's real standard error, also while messages are held; safe to
// call in a signal handler.
int programStandardError();

// Holds the messages for its lifetime.
class StartupMessagesHeld {
  public:
    StartupMessagesHeld() { holdStartupMessages(); }
    ~StartupMessagesHeld() { releaseStartupMessages(); }
    StartupMessagesHeld(const StartupMessagesHeld&) = delete;
    StartupMessagesHeld& operator=(const StartupMessagesHeld&) = delete;
};
