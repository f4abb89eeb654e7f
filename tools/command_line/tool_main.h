#pragma once

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/command_line/tool_command.h"

// The exit statuses every tool shares.
constexpr int kSucceeded = 0;
constexpr int kFailed = 1;        // rendering or writing failed
constexpr int kBadArguments = 2;  // bad arguments or an output that cannot be written

// How a run ended: the exit status and, unless empty, one line for standard
// error (without the program name).
struct ToolResult {
    int status = kSucceeded;
    std::string message;
};

inline ToolResult failed(std::string message) {
    return {kFailed, std::move(message)};
}
inline ToolResult badArguments(std::string message) {
    return {kBadArguments, std::move(message)};
}

// The line for a run whose buffers do not fit: "not enough memory for a
// W x H <what>".
inline std::string notEnoughMemory(int width, int height, const std::string& what) {
    return "not enough memory for a " + std::to_string(width) + " x " + std::to_string(height) +
           " " + what;
}

// Writes text to standard output and flushes it; false with a one-line
// reason when it could not be written (a closed or full output).
bool writeStandardOutput(const std::string& text, std::string* error);

// What the tool does with the outcome of reading its arguments: the help or
// version text on standard output, one line and status 2 for a bad argument,
// or the run. Every failure is one line "<program>: <message>" on standard
// error. Returns the exit status.
int finishCommand(const std::string& program, CommandOutcome outcome, const std::string& error,
                  const std::function<std::string()>& usage,
                  const std::function<ToolResult()>& run);

// A tool's main: reads the arguments, then runs it.
template <typename Options>
int toolMain(const ToolCommand<Options>& tool, int argc, char** argv,
             ToolResult (*run)(const Options&)) {
    const ParsedCommand<Options> parsed =
        parseCommand(tool, std::vector<std::string>(argv + 1, argv + argc));
    return finishCommand(
        tool.program, parsed.outcome, parsed.error, [&] { return usageOf(tool); },
        [&] { return run(parsed.options); });
}
