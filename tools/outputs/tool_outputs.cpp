#include "tools/outputs/tool_outputs.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/shown_text.h"
#include "tools/outputs/temporary_files.h"

namespace {

// Standard output, a descriptor or a device that is a terminal.
bool isTerminal(const OutputTarget& target) {
    if (target.way == OutputTarget::Way::Descriptor) return isatty(target.descriptor);
    if (!S_ISCHR(target.mode)) return false;
    // Opening a terminal that is not the controlling one takes no control.
    const int fd = open(target.file.c_str(), O_WRONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    const bool terminal = fd >= 0 && isatty(fd);
    if (fd >= 0) close(fd);
    return terminal;
}

}  // namespace

bool prepareOutputs(const std::vector<std::pair<std::string, std::string>>& named,
                    const std::string& standardOutputUse, std::vector<OutputTarget>* targets,
                    std::string* error) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!standardOutputUse.empty()) outputs.emplace_back(standardOutputUse, "-");
    outputs.insert(outputs.end(), named.begin(), named.end());
    if (!resolveOutputs(outputs, targets, error)) return false;
    if (!standardOutputUse.empty()) targets->erase(targets->begin());
    for (const OutputTarget& target : *targets) {
        if (isTerminal(target)) {
            *error = target.label + " " + shown(target.path) +
                     " is a terminal: binary data is not written to a terminal (redirect it to a "
                     "file or a pipe)";
            return false;
        }
    }
    removeTemporariesOnSignals();
    return true;
}
