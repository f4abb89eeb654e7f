#include "tools/command_line/command_line.h"

#include <getopt.h>

#include <algorithm>
#include <climits>
#include <cstddef>

#include "base/shown_text.h"

namespace {

// getopt_long returns this plus the rule's index for a long option, which
// keeps them apart from the short option 'h'.
constexpr int kFirstLongOption = 256;
constexpr int kHelp = 'h';
constexpr int kVersion = kFirstLongOption - 1;

// The rules of every group, in order.
std::vector<const OptionRule*> flatten(const std::vector<OptionGroup>& groups) {
    std::vector<const OptionRule*> rules;
    for (const OptionGroup& group : groups) {
        for (const OptionRule& rule : group.rules) rules.push_back(&rule);
    }
    return rules;
}

// Edits (insertion, deletion, substitution, swap of neighbours) that turn a
// into b.
std::size_t editDistance(const std::string& a, const std::string& b) {
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            const std::size_t change = a[i - 1] == b[j - 1] ? 0 : 1;
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + change});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
            }
        }
    }
    return d[a.size()][b.size()];
}

std::vector<std::string> longNames(const std::vector<const OptionRule*>& rules) {
    std::vector<std::string> names;
    for (const OptionRule* rule : rules) names.push_back(rule->name);
    names.push_back("--help");
    names.push_back("--version");
    return names;
}

// The message for a long option getopt_long did not recognise: ambiguous
// prefixes list what they could mean, a near miss names the closest option.
std::string unrecognised(const std::string& argument, const std::vector<std::string>& names) {
    const std::string given = argument.substr(0, argument.find('='));
    std::vector<std::string> candidates;
    if (given.size() > 2) {
        for (const std::string& name : names) {
            if (name.compare(0, given.size(), given) == 0) candidates.push_back(shown(name));
        }
    }
    if (candidates.size() > 1) {
        std::string list;
        for (const std::string& candidate : candidates) {
            list += (list.empty() ? "" : ", ") + candidate;
        }
        return "option " + shown(given) + " is ambiguous: it may be " + list;
    }
    const std::string typed = given.substr(2);
    if (typed.empty()) return "unknown option " + shown(argument) + " (see --help)";
    std::size_t best = SIZE_MAX;
    std::string nearest;
    for (const std::string& name : names) {
        const std::size_t distance = editDistance(typed, name.substr(2));
        if (distance < best) {
            best = distance;
            nearest = name;
        }
    }
    if (best <= 2 && 2 * best < typed.size()) {
        return "unknown option " + shown(given) + "; did you mean " + shown(nearest) + "?";
    }
    return "unknown option " + shown(given) + " (see --help)";
}

}  // namespace

CommandOutcome parseCommandLine(const std::vector<std::string>& args,
                                const std::vector<OptionGroup>& groups,
                                std::vector<std::string>* operands, std::string* error) {
    const std::vector<const OptionRule*> rules = flatten(groups);
    std::vector<std::string> names;  // without the leading "--", as getopt_long wants them
    for (const OptionRule* rule : rules) names.push_back(rule->name.substr(2));
    std::vector<option> table;
    for (std::size_t i = 0; i < rules.size(); ++i) {
        table.push_back({names[i].c_str(), rules[i]->takesValue() ? required_argument : no_argument,
                         nullptr, kFirstLongOption + static_cast<int>(i)});
    }
    table.push_back({"help", no_argument, nullptr, kHelp});
    table.push_back({"version", no_argument, nullptr, kVersion});
    table.push_back({nullptr, 0, nullptr, 0});

    // getopt_long reorders the pointers (options before operands), not the
    // strings.
    std::vector<std::string> words = args;
    words.insert(words.begin(), "tool");
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(words.size());

    std::vector<bool> given(rules.size(), false);
    optind = 0;  // start afresh, as glibc allows
    opterr = 0;  // the messages are ours
    while (true) {
        const int code = getopt_long(argc, argv.data(), ":h", table.data(), nullptr);
        if (code == -1) break;
        if (code == kHelp) return CommandOutcome::Help;
        if (code == kVersion) return CommandOutcome::Version;
        if (code == ':' || code == '?') {
            const std::string argument = argv[optind - 1];
            if (optopt >= kFirstLongOption) {
                const std::string& name = rules[optopt - kFirstLongOption]->name;
                *error =
                    "option " + shown(name) + (code == ':' ? " needs a value" : " takes no value");
            } else if (optopt == kHelp || optopt == kVersion) {
                *error =
                    "option " + shown(optopt == kHelp ? "--help" : "--version") + " takes no value";
            } else if (optopt != 0) {
                *error = "unknown option " + shown(std::string("-") + static_cast<char>(optopt)) +
                         " (see --help)";
            } else {
                *error = unrecognised(argument, longNames(rules));
            }
            return CommandOutcome::Error;
        }
        const std::size_t index = static_cast<std::size_t>(code - kFirstLongOption);
        const OptionRule& rule = *rules[index];
        if (given[index]) {
            *error = "option " + shown(rule.name) + " is given more than once";
            return CommandOutcome::Error;
        }
        given[index] = true;
        if (!rule.apply(optarg ? optarg : "", error)) return CommandOutcome::Error;
    }
    operands->assign(argv.begin() + optind, argv.begin() + argc);
    return CommandOutcome::Run;
}

std::string optionsHelp(const std::vector<OptionGroup>& groups) {
    constexpr std::size_t kHelpColumn = 21;
    std::string text;
    for (const OptionGroup& group : groups) {
        text += "\n" + group.title + "\n";
        for (const OptionRule& rule : group.rules) {
            std::string head = "  " + rule.name;
            if (rule.takesValue()) head += " " + rule.valueName;
            text += head;
            if (head.size() + 2 > kHelpColumn) {
                text += "\n" + std::string(kHelpColumn, ' ');
            } else {
                text += std::string(kHelpColumn - head.size(), ' ');
            }
            for (const char c : rule.help) {
                text += c;
                if (c == '\n') text += std::string(kHelpColumn, ' ');
            }
            text += "\n";
        }
    }
    return text;
}

std::string versionLine(const std::string& program) {
    return program + " " RW_VERSION;
}
