#pragma once

#include <cstddef>
#include <string>

// A program's last words: one line on its real standard error, then the end
// at once (_exit, status 1) without exit handlers, which could wait again on
// whatever failed. Async-signal-safe.
[[noreturn]] void sayLastLineAndEnd(const char* line, std::size_t length);

// A line a signal handler writes out: made before the handler is installed,
// since a handler may not allocate.
struct SignalMessage {
    char text[1024];
    std::size_t length = 0;

    // Keeps `line`, cut to the buffer and ended with a newline.
    void keep(const std::string& line);
    // Writes the kept line to the program's standard error.
    // Async-signal-safe.
    void say() const;
    // Writes the kept line as the program's last (sayLastLineAndEnd).
    [[noreturn]] void sayAndEnd() const { sayLastLineAndEnd(text, length); }
};

// Installs `handler` for `signal`, with no flags and no signals blocked.
// SIGALRM is time_bound.cpp's alone.
void setSignalHandler(int signal, void (*handler)(int));
