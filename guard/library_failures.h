#pragma once

#include <functional>
#include <string>

// The GL and GLUT libraries do not all check for a connection to the X
// server that broke in the middle of a request, nor for an allocation that
// failed: some crash or abort instead. While a LibraryFailureReport lives,
// such a crash (SIGSEGV, SIGBUS, SIGABRT, or an exception the libraries let
// escape) is told apart by the state of the connections to the server (the
// sockets whose peer is the display's Unix socket or TCP port; no other
// socket) and of memory: when a connection has been broken, the program ends
// with one line saying the library failed on the lost connection, status 1;
// when memory has run out (see memoryRanOut), with one line saying that,
// status 1; otherwise it is a crash, said in one line, and the process ends
// by the signal as any crash does. Each line is "<program>: ... <what>".
// Uses those signals' handlers and the terminate handler, which nothing else
// may use meanwhile; reports do not nest.
class LibraryFailureReport {
  public:
    LibraryFailureReport(const std::string& program, const std::string& display,
                         const std::string& what);
    ~LibraryFailureReport();
    LibraryFailureReport(const LibraryFailureReport&) = delete;

    // For a catch (...) around a call into the libraries: an exception that
    // came out of them ends the program as one they let escape to the top
    // does (the library's state is left in the middle, and no clean-up may
    // call it again).
    [[noreturn]] void endOnEscapedException() const;

    // Runs `call`, a start of the library the program can do without (EGL,
    // where X may do instead): a crash in it that is neither memory running
    // out nor a lost connection comes back as false, with *crash saying
    // "the OpenGL library crashed (<signal>) while <what>", instead of
    // ending the process; an exit() the library calls meanwhile ends it in
    // one line with what the libraries said. Whatever `call` had begun is
    // then left in the middle: none of it may be called again.
    bool survive(const std::function<void()>& call, std::string* crash) const;

  private:
    std::string what_;
    LibraryFailureReport& operator=(const LibraryFailureReport&) = delete;
};
