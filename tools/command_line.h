#pragma once

#include <functional>
#include <string>
#include <vector>

// One option of a command-line tool: its name ("--width"), whether it takes
// a value, and what to do with the value (false with a one-line reason when
// the value is not acceptable). Flags are applied with an empty value.
struct OptionRule {
    std::string name;
    bool takesValue = true;
    std::function<bool(const std::string& value, std::string* error)> apply;
};

enum class CommandOutcome { Run, Help, Version, Error };

// Reads the arguments after the program name against the rules. An option
// with a value takes it as the next argument or after '=' (--width=640);
// -h, --help and --version end the reading wherever they stand. Each option
// may be given once. Anything
// else, an unknown option or a bad value, is an Error with one line in
// *error.
CommandOutcome parseCommandLine(const std::vector<std::string>& args,
                                const std::vector<OptionRule>& rules, std::string* error);

// "<program> <project version>", the answer to --version.
std::string versionLine(const std::string& program);
