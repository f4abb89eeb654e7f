#include "tools/compare/compare_options.h"

#include <limits>

#include "tools/command_line/option_rules.h"
#include "tools/compare/rule_fit.h"
#include "tools/compare/view_list.h"

namespace {

std::vector<OptionGroup> compareOptions(CompareOptions& o) {
    return {
        frameOptions(o.frame),
        {"Reference:", {glPlatformOption(&o.frame.glPlatform)}},
        {"Rules, limit and views:",
         {likeReferenceOption(&o.frame.likeReference, &o.frame.likeReferenceAll),
          flagOption("--ladder",
                     "compare once per rule, switching on sampling, ambient,\n"
                     "lights, viewer, specular, vertex, perspective and\n"
                     "subpixel in turn, each on top of the rules before (the\n"
                     "difference ladder); one row each",
                     &o.ladder),
          flagOption("--fit-rules",
                     "fit the rules to the OpenGL found: over the views (see\n"
                     "--views; default the view the options give and a\n"
                     "turntable of 12 half a step on), try each rule in ladder\n"
                     "order on top of those taken, taking it unless it leaves\n"
                     "more differing pixels, then every subpixel grid (none, 1\n"
                     "to 8 bits), taking the one that leaves fewest; print what\n"
                     "the OpenGL does rule by rule with the differing pixels\n"
                     "each choice leaves, and the fitted rules (JSON\n"
                     "fitted_rules) as --like-reference takes them",
                     &o.fitRules),
          rangeOption("--tolerance", "STEPS",
                      "a pixel both cover differs when some channel is off by\n"
                      "more than STEPS 8-bit steps, 0..255 (default 1)",
                      0, kMaxTolerance, &o.tolerance),
          {"--max-differing", "N",
           "the limit of a check: at most N pixels (or N% of the\n"
           "pixels either renderer covers, as in 0.1%) may differ,\n"
           "covered by one renderer only or off by more than the\n"
           "tolerance (default 0). A check runs with --like-reference\n"
           "or --max-differing; over the limit, the exit status is 3",
           [&o](const std::string& value, std::string* error) {
               o.limitGiven = true;
               return parseDifferingLimit(value, &o.maxDiffering, error);
           }},
          countOption("--list-differing", "N",
                      "list up to N differing pixels of each comparison, worst\n"
                      "first: those covered by one renderer only, then those\n"
                      "both cover by their largest channel difference; ties\n"
                      "from the bottom row up, then left to right. Each with x,\n"
                      "y, which renderer covers it, both pictures' bytes and the\n"
                      "step difference per channel. With --ladder per step,\n"
                      "with --views per view",
                      std::numeric_limits<int>::max(), &o.listDiffering),
          {"--views", "VIEWS",
           "compare many views: turntable:N (N turns about Z over a\n"
           "full turn), grid:NZ,NX (NZ turns about Z times NX tilts\n"
           "about X, each over a full turn), both from the view the\n"
           "options give, or a FILE with one view per line,\n"
           "'angle-z angle-x zoom pan-x pan-y' ('#' starts a comment)",
           [&o](const std::string& value, std::string* error) {
               if (value.empty()) {
                   *error = "--views needs a value, got an empty one";
                   return false;
               }
               // Read once the other options are, for the view they give.
               o.viewsSpec = value;
               return true;
           }}}},
        {"Output:",
         {flagOption("--json",
                     "print the report as one JSON object with the keys width,\n"
                     "height, both, software_only, reference_only, iou,\n"
                     "mean_step_difference and max_step_difference ([r, g, b]),\n"
                     "max_step_difference_at ([x, y]), pixels_over_one_step,\n"
                     "max_depth_difference, tolerance and pixels_over_tolerance\n"
                     "(a figure taken over no pixels is null),\n"
                     "reference_implementation (vendor, renderer, version,\n"
                     "platform) and, in a check, max_differing, differing,\n"
                     "within_limit and like_reference, with --list-differing\n"
                     "differing_pixels, with --cause-png causes. With --ladder\n"
                     "one object whose list 'ladder' holds the figures per row\n"
                     "with its 'step'; with --views one line of figures per\n"
                     "view (with its 'view' number, angle_z, angle_x, zoom,\n"
                     "pan_x, pan_y and crosses_near_plane), then a 'summary'\n"
                     "line, which names the reference_implementation. With\n"
                     "--fit-rules one object with fitted_rules, fit (per rule),\n"
                     "views, views_fitted, tolerance and\n"
                     "reference_implementation",
                     &o.json),
          fileOption("--png",
                     "write three panels side by side: the software picture,\n"
                     "the reference picture and a difference map (blue: only\n"
                     "the software covers the pixel, green: only the reference\n"
                     "does, black to yellow: the largest channel difference in\n"
                     "8-bit steps where both do, white: neither), with their\n"
                     "names and the map's legend in a strip below them. With\n"
                     "--ladder the difference map of every row, with --views\n"
                     "those of the worst views, captioned, on one sheet. A\n"
                     "differing pixel with no other within two pixels is\n"
                     "ringed in magenta so that it shows",
                     &o.pngPath),
          countOption("--amplify", "K",
                      "multiply the step differences on the --png maps by K,\n"
                      "1..255 (clamped at 255), so that differences of a step\n"
                      "or two show; the legend says so (default 1)",
                      kMaxAmplify, &o.amplify),
          fileOption("--cause-png",
                     "draw the difference ladder and write the cause map: each\n"
                     "pixel either renderer covers in the colour of the first\n"
                     "step from which on the software picture stays within the\n"
                     "tolerance of the reference there (specified: already as\n"
                     "specified; unexplained: not even with every rule), with\n"
                     "a legend of the steps and their counts; the report is\n"
                     "the ladder's with the counts per step added (JSON causes)",
                     &o.causePngPath)}},
    };
}

bool checkFitCombination(CompareOptions& o, std::string* error) {
    const struct {
        bool given;
        const char* name;
    } refused[] = {{o.frame.likeReference.any(), "--like-reference"},
                   {o.ladder, "--ladder"},
                   {o.limitGiven, "--max-differing"},
                   {o.listDiffering != 0, "--list-differing"},
                   {!o.pngPath.empty(), "--png"},
                   {!o.causePngPath.empty(), "--cause-png"},
                   {o.amplify != 1, "--amplify"}};
    for (const auto& option : refused) {
        if (!option.given) continue;
        *error =
            std::string("--fit-rules tries the rules itself and prints their fit; leave out ") +
            option.name;
        return false;
    }
    if (o.viewsSpec.empty()) {
        o.views = defaultFitViews(o.frame.view);
        return true;
    }
    return parseViewList(o.viewsSpec, o.frame.view, &o.views, error);
}

bool checkCombination(CompareOptions& o, std::string* error) {
    if (o.fitRules) return checkFitCombination(o, error);
    if (o.ladder && o.frame.likeReference.any()) {
        *error = "--ladder switches on every rule in turn; leave out --like-reference";
        return false;
    }
    if (!o.causePngPath.empty() && o.frame.likeReference.any()) {
        *error = "--cause-png switches on every rule in turn; leave out --like-reference";
        return false;
    }
    if (o.ladder && !o.viewsSpec.empty()) {
        *error = "--ladder and --views cannot be combined: give one view for the ladder";
        return false;
    }
    if (!o.causePngPath.empty() && !o.viewsSpec.empty()) {
        *error = "--cause-png and --views cannot be combined: give one view for the cause map";
        return false;
    }
    if (o.amplify != 1 && o.pngPath.empty()) {
        *error = "--amplify changes the --png picture's maps; give --png too";
        return false;
    }
    // The cause map is made of the ladder's pictures, and reports the ladder.
    if (!o.causePngPath.empty()) o.ladder = true;
    if (!o.viewsSpec.empty()) return parseViewList(o.viewsSpec, o.frame.view, &o.views, error);
    return true;
}

}  // namespace

const ToolCommand<CompareOptions>& compareCommand() {
    static const ToolCommand<CompareOptions> command = {
        "rasterwork-compare",
        "",
        R"(Renders the viewer's default scene with both renderers, the software
rasteriser and the OpenGL reference (off screen through EGL, or in a window of
its own on the X display in DISPLAY: see --gl-platform), at one size and view,
and reports where and by how much the two pictures differ. A pixel counts as
covered where that renderer's depth is below 1.0.
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
figures. The report names the OpenGL that drew the reference.

With --like-reference the software renderer follows the named rules of the
reference instead of its own, so what remains is what no rule explains. The
rules are drawn by the plain software path; 'all' takes the rules that hold
for the OpenGL found (every rule for llvmpipe, all but subpixel for softpipe,
for any other the rules --fit-rules fits to it), and the report lists the
rules taken. A view whose geometry comes
nearer than the near plane is reported as such and not held against the
limit: the software path keeps what lies between the eye and the near plane,
the reference cuts it away.

Exit status: 0 success (in a check: within the limit, in every view); 1
rendering or writing failed (for example no OpenGL for the reference); 2 bad
arguments or an
output path that cannot be written; 3 a check over its limit.
)",
        nullptr,
        checkCombination,
    };
    return command;
}

ParsedCompareArguments parseCompareArguments(const std::vector<std::string>& args) {
    return parseCommand(compareCommand(), args);
}

std::string compareUsage() {
    return usageOf(compareCommand());
}
