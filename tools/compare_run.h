#pragma once

#include "tools/compare_options.h"
#include "tools/snapshot_options.h"
#include "tools/tool_main.h"

// Draws the software picture of a frame into colorBuffer and depthBuffer
// (renderSoftwareSnapshot); false when there is no memory for it.
using SoftwareRender = bool (*)(const SnapshotOptions& frame);

// One run of rasterwork-compare: the single report, the ladder or the sweep
// over views the options ask for, with `renderSoftware` drawing every
// software picture.
ToolResult runComparison(const CompareOptions& options, SoftwareRender renderSoftware);
