#include "tools/command_line/tool_command.h"

#include "base/shown_text.h"

bool takeNoOperands(const std::vector<std::string>& operands, std::string* error) {
    if (operands.empty()) return true;
    *error = "unexpected argument " + shown(operands.front()) + " (see --help)";
    return false;
}

std::string usageText(const std::string& program, const std::string& operands,
                      const std::string& description, const std::vector<OptionGroup>& groups,
                      const std::string& notes) {
    return "Usage: " + program + " [options]" + (operands.empty() ? "" : " " + operands) + "\n\n" +
           description + optionsHelp(groups) + R"(
  -h, --help         show this text and exit
      --version      show the program's version and exit

An option takes its value after '=' or as the next argument (--width=640 or
--width 640), may be shortened to any unique prefix (--wid) and may be given
once; '--' ends the options.

)" + notes;
}
