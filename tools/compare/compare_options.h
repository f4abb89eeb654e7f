#pragma once

#include <string>
#include <vector>

#include "view/view.h"

#include "tools/command_line/render_options.h"
#include "tools/command_line/tool_command.h"
#include "tools/compare/differing_limit.h"

// Largest tolerance in 8-bit steps, and largest factor on step differences.
constexpr int kMaxTolerance = 255;
constexpr int kMaxAmplify = 255;

// Everything one run of rasterwork-compare needs: the frame size and view
// and the reference's rules the software renderer follows (the renderer
// field of `frame` is not used), the picture to write (empty: none), the
// report's form, the limit and the views to sweep.
struct CompareOptions {
    RenderOptions frame = defaultRenderOptions();
    std::string pngPath;
    std::string causePngPath;  // the cause map (empty: none); draws the ladder
    int amplify = 1;           // factor on step differences in the --png maps
    int listDiffering = 0;     // differing pixels listed per comparison
    bool json = false;
    bool ladder = false;    // one comparison per rule, switched on in turn
    bool fitRules = false;  // fit the rules to the OpenGL found over `views`
    int tolerance = 1;      // steps a channel may differ by before a pixel differs
    bool limitGiven = false;
    DifferingLimit maxDiffering;  // 0 pixels unless limitGiven
    std::string viewsSpec;        // empty: the one view of `frame`
    std::vector<View> views;      // the views viewsSpec names (with fitRules, by default
                                  // defaultFitViews)

    // Whether the run is a check: exit status 3 when over the limit. On with
    // --like-reference or --max-differing.
    bool gated() const { return limitGiven || frame.likeReference.any(); }
};

// Exit status of a check over its limit.
constexpr int kOverLimit = 3;

using ParsedCompareArguments = ParsedCommand<CompareOptions>;

// rasterwork-compare's name, help and options.
const ToolCommand<CompareOptions>& compareCommand();

ParsedCompareArguments parseCompareArguments(const std::vector<std::string>& args);

std::string compareUsage();
