#include "tools/common/tool_outputs.h"

#include <unistd.h>

#include "base/shown_text.h"
#include "tools/common/temporary_files.h"

bool prepareOutputs(const std::vector<std::pair<std::string, std::string>>& named,
                    const std::string& standardOutputUse, std::vector<OutputTarget>* targets,
                    std::string* error) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!standardOutputUse.empty()) outputs.emplace_back(standardOutputUse, "-");
    outputs.insert(outputs.end(), named.begin(), named.end());
    if (!resolveOutputs(outputs, targets, error)) return false;
    if (!standardOutputUse.empty()) targets->erase(targets->begin());
    for (const OutputTarget& target : *targets) {
        if (target.descriptor >= 0 && isatty(target.descriptor)) {
            *error = target.label + " " + shown(target.path) +
                     " is a terminal: binary data is not written to a terminal (redirect it to a "
                     "file or a pipe)";
            return false;
        }
    }
    removeTemporariesOnSignals();
    return true;
}
