#include "guard/startup_messages.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>

#include "base/shown_text.h"

namespace {

constexpr std::size_t kMostShown = 600;  // bytes of held text in the line

volatile int savedStandardError = -1;
int holding = -1;
std::string heldText;  // everything held since the last forgetStartupMessages

}  // namespace

void holdStartupMessages() {
    if (holding >= 0) return;
    std::fflush(stderr);
    const int file = memfd_create("rasterwork-startup-messages", MFD_CLOEXEC);
    const int saved = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
    if (file < 0 || saved < 0 || dup2(file, STDERR_FILENO) < 0) {
        if (file >= 0) close(file);
        if (saved >= 0) close(saved);
        return;
    }
    holding = file;
    savedStandardError = saved;
}

std::string releaseStartupMessages() {
    if (holding < 0) return "";
    std::fflush(stderr);
    dup2(savedStandardError, STDERR_FILENO);
    close(savedStandardError);
    savedStandardError = -1;
    char chunk[512];
    ssize_t n;
    off_t at = 0;
    while (heldText.size() < 4 * kMostShown && (n = pread(holding, chunk, sizeof chunk, at)) > 0) {
        heldText.append(chunk, static_cast<std::size_t>(n));
        at += n;
    }
    close(holding);
    holding = -1;
    const std::string& text = heldText;

    std::string lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(start, end - start);
        if (!line.empty()) lines += (lines.empty() ? "" : "; ") + line;
        start = end + 1;
    }
    if (lines.empty()) return "";
    return " (the libraries said: " + escapedText(lines, kMostShown) + ")";
}

void forgetStartupMessages() {
    heldText.clear();
}

int programStandardError() {
    const int saved = savedStandardError;
    return saved >= 0 ? saved : STDERR_FILENO;
}
