#include "tools/command_line/tool_main.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "tools/outputs/output_writer.h"

namespace {

int report(const std::string& program, const ToolResult& result) {
    if (!result.message.empty()) {
        std::fprintf(stderr, "%s: %s\n", program.c_str(), result.message.c_str());
    }
    return result.status;
}

ToolResult print(const std::string& text) {
    std::string error;
    return writeStandardOutput(text, &error) ? ToolResult{} : failed(error);
}

}  // namespace

bool writeStandardOutput(const std::string& text, std::string* error) {
    errno = 0;
    if (std::fflush(stdout) == 0 && writeFully(STDOUT_FILENO, text.data(), text.size())) {
        return true;
    }
    *error = std::string("cannot write to standard output: ") + std::strerror(errno ? errno : EIO);
    return false;
}

int finishCommand(const std::string& program, CommandOutcome outcome, const std::string& error,
                  const std::function<std::string()>& usage,
                  const std::function<ToolResult()>& run) {
    // Past the file-size limit a write fails with EFBIG, reported like any
    // other failed write, instead of the signal ending the run with a
    // temporary left behind.
    signal(SIGXFSZ, SIG_IGN);
    switch (outcome) {
        case CommandOutcome::Help:
            return report(program, print(usage()));
        case CommandOutcome::Version:
            return report(program, print(versionLine(program) + "\n"));
        case CommandOutcome::Error:
            return report(program, badArguments(error));
        case CommandOutcome::Run:
            break;
    }
    return report(program, run());
}
