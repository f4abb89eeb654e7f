#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/command_line/render_options.h"
#include "tools/command_line/tool_command.h"
#include "tools/outputs/output_target.h"

// Everything one run of rasterwork-explain needs: the frame size and view
// (the renderer field of `frame` is not used), the pixel, the form of the
// explanation and the crop picture to write (empty: none).
struct ExplainOptions {
    RenderOptions frame = defaultRenderOptions();
    int x = 0;  // column, 0 at the left
    int y = 0;  // row, 0 at the bottom as in the buffers
    bool json = false;
    std::string cropPngPath;
    // --face OBJECT:FACE: that face's scan conversion instead of a pixel;
    // X Y are then optional (pixelGiven) and centre the crop.
    std::optional<StopPoint> face;
    bool pixelGiven = true;
};

using ParsedExplainArguments = ParsedCommand<ExplainOptions>;

// rasterwork-explain's name, help, options and its two operands X and Y.
const ToolCommand<ExplainOptions>& explainCommand();

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args);

std::string explainUsage();

// The target of --crop-png, when given, prepared as every output is (see
// prepareOutputs); false with the reason when it cannot be written.
bool prepareCropOutput(const ExplainOptions& options, std::vector<OutputTarget>* targets,
                       std::string* error);
