#pragma once

#include <string>
#include <vector>

#include "tools/command_line/render_options.h"
#include "tools/command_line/tool_command.h"

// Everything one run of rasterwork-snapshot needs: what to render and the
// files to write (an empty path means "not wanted"; kSnapshotOutputs names
// each file's option).
struct SnapshotOptions : RenderOptions {
    std::string pngPath;
    std::string colorPfmPath;
    std::string depthPfmPath;
    // Pictures of what the software renderer's stages leave behind.
    std::string depthPngPath;
    std::string facesPngPath;
    std::string fragmentsPngPath;
};

// defaultRenderOptions and no files.
SnapshotOptions defaultSnapshotOptions();

using ParsedArguments = ParsedCommand<SnapshotOptions>;

// rasterwork-snapshot's name, help and options.
const ToolCommand<SnapshotOptions>& snapshotCommand();

// Parses the arguments after the program name. Checks everything that can be
// checked without touching the file system.
ParsedArguments parseSnapshotArguments(const std::vector<std::string>& args);

std::string snapshotUsage();
