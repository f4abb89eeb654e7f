#include "tools/tool_output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

int failWith(const std::string& program, int status, const std::string& message) {
    std::fprintf(stderr, "%s: %s\n", program.c_str(), message.c_str());
    return status;
}

int printOrFail(const std::string& program, const std::string& text) {
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    if (std::fflush(stdout) == 0 && written && !std::ferror(stdout)) return 0;
    return failWith(
        program, 1,
        std::string("cannot write to standard output: ") + std::strerror(errno ? errno : EIO));
}
