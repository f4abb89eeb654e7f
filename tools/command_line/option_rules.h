#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/command_line/command_line.h"

// Rules for the kinds of value the tools take. Each writes the value into
// *out and refuses anything else with one line that quotes it.

// A whole number from 1 to `largest`, written in decimal digits with an
// optional sign.
OptionRule countOption(const char* name, const char* valueName, std::string help, int largest,
                       int* out);

// A whole number from `smallest` to `largest`, written likewise.
OptionRule rangeOption(const char* name, const char* valueName, std::string help, int smallest,
                       int largest, int* out);

// A finite number as strtof reads it (the float nearest to the decimal).
OptionRule numberOption(const char* name, const char* valueName, std::string help, float* out);

// A file name, not empty; "-" is standard output.
OptionRule fileOption(const char* name, std::string help, std::string* out);

// A flag: sets *out.
OptionRule flagOption(const char* name, std::string help, bool* out);

// The index of `value` among `words`, or false with "unknown <what> '<value>':
// expected 'a', 'b' or 'c'".
bool pickWord(const std::string& what, const std::vector<std::string>& words,
              const std::string& value, std::size_t* index, std::string* error);

// One of a few words, each standing for a value of Choice.
template <typename Choice>
OptionRule choiceOption(const char* name, const char* valueName, std::string help, const char* what,
                        std::vector<std::pair<std::string, Choice>> choices, Choice* out) {
    return {name, valueName, std::move(help),
            [what, choices, out](const std::string& value, std::string* error) {
                std::vector<std::string> words;
                for (const auto& choice : choices) words.push_back(choice.first);
                std::size_t index = 0;
                if (!pickWord(what, words, value, &index, error)) return false;
                *out = choices[index].second;
                return true;
            }};
}
