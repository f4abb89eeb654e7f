#include "tools/command_line.h"

#include <set>

#include "tools/shown_text.h"

namespace {

const OptionRule* findRule(const std::vector<OptionRule>& rules, const std::string& name) {
    for (const OptionRule& rule : rules) {
        if (rule.name == name) return &rule;
    }
    return nullptr;
}

}  // namespace

CommandOutcome parseCommandLine(const std::vector<std::string>& args,
                                const std::vector<OptionRule>& rules, std::string* error) {
    for (const std::string& arg : args) {
        if (arg == "--help" || arg == "-h") return CommandOutcome::Help;
        if (arg == "--version") return CommandOutcome::Version;
    }
    std::set<std::string> given;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            *error = "unexpected argument " + shown(arg) + " (see --help)";
            return CommandOutcome::Error;
        }
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const OptionRule* rule = findRule(rules, name);
        if (!rule) {
            *error = "unknown option " + shown(name) + " (see --help)";
            return CommandOutcome::Error;
        }
        std::string value;
        if (equals != std::string::npos) {
            if (!rule->takesValue) {
                *error = "option " + shown(name) + " takes no value";
                return CommandOutcome::Error;
            }
            value = arg.substr(equals + 1);
        } else if (rule->takesValue) {
            if (i + 1 >= args.size()) {
                *error = "option " + shown(name) + " needs a value";
                return CommandOutcome::Error;
            }
            value = args[++i];
        }
        if (!rule->apply(value, error)) return CommandOutcome::Error;
        if (!given.insert(name).second) {
            *error = "option " + shown(name) + " is given more than once";
            return CommandOutcome::Error;
        }
    }
    return CommandOutcome::Run;
}

std::string versionLine(const std::string& program) {
    return program + " " RW_VERSION;
}
