#pragma once

#include <string>
#include <utility>
#include <vector>

#include "tools/outputs/output_target.h"

// Resolves the files a tool's options name, as (option, path) pairs, before
// anything is rendered: refuses an output that cannot be written, two that
// are the same file, binary data bound for a terminal (standard output or a
// terminal named as a file, as compressors do) and, when `standardOutputUse` is not empty (e.g.
// "the report"), an output on the standard output that it already writes to, and an output
// that is one of the regular files the run reads, `inputs` (option, path), by device and inode.
// Then makes a signal remove the temporary files. False with a one-line reason.
bool prepareOutputs(const std::vector<std::pair<std::string, std::string>>& named,
                    const std::string& standardOutputUse, std::vector<OutputTarget>* targets,
                    std::string* error,
                    const std::vector<std::pair<std::string, std::string>>& inputs = {});
