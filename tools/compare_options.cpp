#include "tools/compare_options.h"

#include "tools/option_rules.h"

namespace {

std::vector<OptionGroup> compareOptions(CompareOptions& o) {
    return {
        frameOptions(o.frame),
        {"Output:",
         {flagOption("--json",
                     "print the report as one JSON object with the keys width,\n"
                     "height, both, software_only, reference_only, iou,\n"
                     "mean_step_difference and max_step_difference ([r, g, b]),\n"
                     "max_step_difference_at ([x, y]), pixels_over_one_step\n"
                     "and max_depth_difference; a figure taken over no pixels\n"
                     "is null",
                     &o.json),
          fileOption("--png",
                     "write three panels side by side: the software picture,\n"
                     "the reference picture and a difference map (blue: only\n"
                     "the software covers the pixel, green: only the reference\n"
                     "does, black to yellow: the largest channel difference in\n"
                     "8-bit steps where both do, white: neither), with their\n"
                     "names and the map's legend in a strip below them",
                     &o.pngPath)}},
    };
}

}  // namespace

const ToolCommand<CompareOptions>& compareCommand() {
    static const ToolCommand<CompareOptions> command = {
        "rasterwork-compare",
        "",
        R"(Renders the viewer's default scene with both renderers, the software
rasteriser and the OpenGL reference (in a window of its own on the X display
in DISPLAY), at one size and view, and reports where and by how much the two
pictures differ. A pixel counts as covered where that renderer's depth is
below 1.0.
)",
        CompareOptions{},
        compareOptions,
        R"(The report counts the pixels covered by both renderers, by the software only
and by the reference only, and their intersection over union; over the pixels
both cover, the mean and largest difference per channel in 8-bit steps of the
pictures as the window shows them and the pixel with the largest difference
(x, y; row 0 at the bottom, as in the frame buffers; of several, the first
in that order), how many pixels differ by more than one step in some channel,
and the largest difference of window depth (0 near to 1 far). Where neither
renderer covers a pixel, or not both do, the report says so instead of
figures.

Exit status: 0 success; 1 rendering or writing failed (for example no X
display); 2 bad arguments or an output path that cannot be written.
)",
        nullptr,
        nullptr,
    };
    return command;
}

ParsedCompareArguments parseCompareArguments(const std::vector<std::string>& args) {
    return parseCommand(compareCommand(), args);
}

std::string compareUsage() {
    return usageOf(compareCommand());
}
