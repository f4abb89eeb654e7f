#include "tools/compare_options.h"

ParsedCompareArguments parseCompareArguments(const std::vector<std::string>& args) {
    ParsedCompareArguments parsed;
    CompareOptions& o = parsed.options;
    std::vector<OptionRule> rules = frameOptionRules(o.frame);
    rules.push_back(outputPathRule("--png", &o.pngPath));
    rules.push_back({"--json", false, [&o](const std::string&, std::string*) {
                         o.json = true;
                         return true;
                     }});
    parsed.outcome = parseCommandLine(args, rules, &parsed.error);
    return parsed;
}

std::string compareUsage() {
    return R"(Usage: rasterwork-compare [options]

Renders the viewer's default scene with both renderers, the software
rasteriser and the OpenGL reference (in a window of its own on the X display
in DISPLAY), at one size and view, and reports where and by how much the two
pictures differ. A pixel counts as covered where that renderer's depth is
below 1.0.

)" + frameOptionsHelp() +
           R"(
Output:
  --json             print the report as one JSON object with the keys width,
                     height, both, software_only, reference_only, iou,
                     mean_step_difference and max_step_difference ([r, g, b]),
                     pixels_over_one_step and max_depth_difference
  --png FILE         write three panels side by side: the software picture,
                     the reference picture and a difference map (blue: only
                     the software covers the pixel, green: only the reference
                     does, black to yellow: the largest channel difference in
                     8-bit steps where both do, white: neither), with a
                     legend in the map's top-left corner

The report counts the pixels covered by both renderers, by the software only
and by the reference only, and their intersection over union; over the pixels
both cover, the mean and largest difference per channel in 8-bit steps of the
pictures as the window shows them, how many pixels differ by more than one
step in some channel, and the largest difference of window depth (0 near to
1 far). Options take their value as the next argument or after '='.

  -h, --help         show this text and exit
      --version      show the program's version and exit

Exit status: 0 success; 1 rendering or writing failed (for example no X
display); 2 bad arguments or an output path that cannot be written.
)";
}
