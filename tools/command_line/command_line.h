#pragma once

#include <functional>
#include <string>
#include <vector>

// One option of a command-line tool: its long name ("--width"), the name of
// its value in the help ("W"; empty for a flag, which takes no value), its
// help text (lines after the first are indented under it) and what to do with
// the value: false with a one-line reason when the value is not acceptable.
// Flags are applied with an empty value.
struct OptionRule {
    std::string name;
    std::string valueName;
    std::string help;
    std::function<bool(const std::string& value, std::string* error)> apply;

    bool takesValue() const { return !valueName.empty(); }
};

// Options shown together in the help under one title.
struct OptionGroup {
    std::string title;
    std::vector<OptionRule> rules;
};

enum class CommandOutcome { Run, Help, Version, Error };

// Reads the arguments after the program name as GNU tools do (getopt_long):
// a long option may be shortened to any unique prefix (--wid), takes its
// value after '=' or as the next argument, and "--" ends the options; -h is
// --help. Options are read in order; --help and --version end the reading
// where they stand. Each option may be given once. The arguments that are not
// options are put in *operands, in order. An unknown or ambiguous option
// (with the nearest name when one is close), a missing or unwanted value and
// a refused value are an Error with one line in *error.
CommandOutcome parseCommandLine(const std::vector<std::string>& args,
                                const std::vector<OptionGroup>& groups,
                                std::vector<std::string>* operands, std::string* error);

// The help lines of the groups: each title, then every option with its value
// name and help text in aligned columns.
std::string optionsHelp(const std::vector<OptionGroup>& groups);

// "<program> <project version>", the answer to --version.
std::string versionLine(const std::string& program);
