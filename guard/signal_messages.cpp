#include "guard/signal_messages.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "guard/startup_messages.h"

void sayLastLineAndEnd(const char* line, std::size_t length) {
    if (write(programStandardError(), line, length) < 0) {
        // Nothing more to say; the status tells the rest.
    }
    _exit(1);
}

void SignalMessage::keep(const std::string& line) {
    length = std::min(line.size(), sizeof text);
    if (length == 0) return;
    std::memcpy(text, line.data(), length);
    text[length - 1] = '\n';
}

void SignalMessage::say() const {
    if (write(programStandardError(), text, length) < 0) {
        // Nothing more to say; the status tells the rest.
    }
}

void setSignalHandler(int signal, void (*handler)(int)) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}
