#pragma once

#include <functional>
#include <string>
#include <vector>

#include "tools/command_line/command_line.h"

// What one command-line tool is: its name, its help and the options it reads
// into an Options record. Adding an option to a tool is one OptionRule in
// one of its groups (see tools/command_line/option_rules.h for the kinds of value).
template <typename Options>
struct ToolCommand {
    std::string program;      // "rasterwork-snapshot"
    std::string operands;     // after "[options]" on the usage line ("X Y"); empty: takes none
    std::string description;  // the paragraphs after the usage line
    Options defaults;
    // The option groups, each rule writing into the given record.
    std::function<std::vector<OptionGroup>(Options&)> options;
    std::string notes;  // the paragraphs after the options
    // Reads the arguments that are not options; unset when the tool takes none.
    std::function<bool(const std::vector<std::string>& operands, Options& options,
                       std::string* error)>
        readOperands;
    // Rules between options, checked once all are read, and whatever is made
    // from several options together; may be unset.
    std::function<bool(Options& options, std::string* error)> check;
};

template <typename Options>
struct ParsedCommand {
    using Outcome = CommandOutcome;
    Outcome outcome = Outcome::Error;
    Options options;
    std::string error;  // one line, without the program name, when Outcome::Error
};

// False with "unexpected argument '<first>'" when there are any operands.
bool takeNoOperands(const std::vector<std::string>& operands, std::string* error);

// The help text: usage line, description, option groups, the help and
// version options, how options are written, notes.
std::string usageText(const std::string& program, const std::string& operands,
                      const std::string& description, const std::vector<OptionGroup>& groups,
                      const std::string& notes);

// Reads the arguments after the program name into a copy of the defaults,
// then the operands, then checks the rules between options.
template <typename Options>
ParsedCommand<Options> parseCommand(const ToolCommand<Options>& tool,
                                    const std::vector<std::string>& args) {
    ParsedCommand<Options> parsed;
    parsed.options = tool.defaults;
    std::vector<std::string> operands;
    parsed.outcome = parseCommandLine(args, tool.options(parsed.options), &operands, &parsed.error);
    if (parsed.outcome != CommandOutcome::Run) return parsed;
    const bool read = tool.readOperands ? tool.readOperands(operands, parsed.options, &parsed.error)
                                        : takeNoOperands(operands, &parsed.error);
    if (!read || (tool.check && !tool.check(parsed.options, &parsed.error))) {
        parsed.outcome = CommandOutcome::Error;
    }
    return parsed;
}

template <typename Options>
std::string usageOf(const ToolCommand<Options>& tool) {
    Options scratch = tool.defaults;
    return usageText(tool.program, tool.operands, tool.description, tool.options(scratch),
                     tool.notes);
}
