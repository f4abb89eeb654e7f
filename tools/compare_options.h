#pragma once

#include <string>
#include <vector>

#include "tools/command_line.h"
#include "tools/snapshot_options.h"

// Everything one run of rasterwork-compare needs: the frame size and view
// (the renderer and file fields of `frame` are not used), the picture to
// write (empty: none) and the report's form.
struct CompareOptions {
    SnapshotOptions frame = defaultSnapshotOptions();
    std::string pngPath;
    bool json = false;
};

struct ParsedCompareArguments {
    CommandOutcome outcome = CommandOutcome::Error;
    CompareOptions options;
    std::string error;  // one line, without the program name, when CommandOutcome::Error
};

ParsedCompareArguments parseCompareArguments(const std::vector<std::string>& args);

std::string compareUsage();
