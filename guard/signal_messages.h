#pragma once

#include <cstddef>
#include <string>

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
};

// Installs `handler` for `signal`, with no flags and no signals blocked.
void setSignalHandler(int signal, void (*handler)(int));
