#pragma once

#include <string>
#include <vector>

#include "tools/snapshot_options.h"
#include "tools/tool_command.h"

// Everything one run of rasterwork-compare needs: the frame size and view
// (the renderer and file fields of `frame` are not used), the picture to
// write (empty: none) and the report's form.
struct CompareOptions {
    SnapshotOptions frame = defaultSnapshotOptions();
    std::string pngPath;
    bool json = false;
};

using ParsedCompareArguments = ParsedCommand<CompareOptions>;

// rasterwork-compare's name, help and options.
const ToolCommand<CompareOptions>& compareCommand();

ParsedCompareArguments parseCompareArguments(const std::vector<std::string>& args);

std::string compareUsage();
