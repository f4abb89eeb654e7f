#pragma once

#include <string>
#include <vector>

#include "tools/command_line.h"
#include "view/view.h"

enum class SnapshotRenderer { Software, OpenGL };

// Everything one run of rasterwork-snapshot needs: frame size, view state,
// renderer and the files to write (an empty path means "not wanted").
struct SnapshotOptions {
    int width = 480;
    int height = 480;
    View view;
    SnapshotRenderer renderer = SnapshotRenderer::Software;
    std::string pngPath;
    std::string colorPfmPath;
    std::string depthPfmPath;
};

// Largest accepted frame side; keeps every pixel index and byte count well
// inside the ranges the renderers and the image writers use.
constexpr int kMaxSnapshotSide = 16384;

// 480 x 480, software renderer, view state as the viewer starts with it.
SnapshotOptions defaultSnapshotOptions();

struct ParsedArguments {
    using Outcome = CommandOutcome;
    Outcome outcome = Outcome::Error;
    SnapshotOptions options;
    std::string error;  // one line, without the program name, when Outcome::Error
};

// Parses the arguments after the program name. Checks everything that can be
// checked without touching the file system.
ParsedArguments parseSnapshotArguments(const std::vector<std::string>& args);

std::string snapshotUsage();

// The frame-size and view options (--width, --height, --angle-z, --angle-x,
// --zoom, --pan-x, --pan-y), writing into o; shared by every tool that
// renders a view.
std::vector<OptionRule> frameOptionRules(SnapshotOptions& o);

// An option naming an output file; an empty name is refused.
OptionRule outputPathRule(const char* name, std::string* path);
