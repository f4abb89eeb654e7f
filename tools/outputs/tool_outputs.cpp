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

// An output that is an input's file would overwrite what the run read.
bool overwritesInput(const std::vector<OutputTarget>& targets, const std::string& label,
                     const std::string& path, std::string* error) {
    struct stat input;
    if (stat(path.c_str(), &input) != 0 || !S_ISREG(input.st_mode)) return false;
    for (const OutputTarget& target : targets) {
        if (target.exists() && target.device == input.st_dev && target.inode == input.st_ino) {
            *error = target.label + " " + shown(target.path) + " is the file " + label + " " +
                     shown(path) + " reads: an output may not overwrite an input";
            return true;
        }
    }
    return false;
}

}  // namespace

bool prepareOutputs(const std::vector<std::pair<std::string, std::string>>& named,
                    const std::string& standardOutputUse, std::vector<OutputTarget>* targets,
                    std::string* error,
                    const std::vector<std::pair<std::string, std::string>>& inputs) {
    std::vector<std::pair<std::string, std::string>> outputs;
    if (!standardOutputUse.empty()) outputs.emplace_back(standardOutputUse, "-");
    outputs.insert(outputs.end(), named.begin(), named.end());
    if (!resolveOutputs(outputs, targets, error)) return false;
    for (const auto& [label, path] : inputs) {
        if (overwritesInput(*targets, label, path, error)) return false;
    }
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
