#pragma once

#include "tools/command_line/render_options.h"
#include "tools/command_line/tool_main.h"
#include "tools/compare/compare_options.h"
#include "tools/pictures/snapshot_software.h"

// Draws the software picture of a frame into `into` (renderSoftwareSnapshot);
// false when there is no memory for it.
using SoftwareRender = bool (*)(const RenderOptions& frame, SoftwareFrame& into);

// One run of rasterwork-compare: the single report, the ladder or the sweep
// over views the options ask for, with `renderSoftware` drawing every
// software picture.
ToolResult runComparison(const CompareOptions& options, SoftwareRender renderSoftware);
