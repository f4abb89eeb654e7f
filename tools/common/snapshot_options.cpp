#include "tools/common/snapshot_options.h"

#include <algorithm>
#include <iterator>
#include <thread>
#include <utility>

#include "tools/common/option_rules.h"
#include "tools/common/shown_text.h"

int defaultSnapshotThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return static_cast<int>(std::min<unsigned>(cores, kMaxSnapshotThreads));
}

SnapshotOptions defaultSnapshotOptions() {
    SnapshotOptions options;
    options.threads = defaultSnapshotThreads();
    return options;
}

namespace {

// Cross-option rules, checked once every option has been read.
bool checkCombination(const SnapshotOptions& o, std::string* error) {
    if (o.likeReference.any() && o.renderer == SnapshotRenderer::OpenGL) {
        *error =
            "--like-reference changes the software renderer; it has no effect with "
            "--renderer opengl";
        return false;
    }
    if (o.glPlatform != GlPlatform::Auto && o.renderer == SnapshotRenderer::Software) {
        *error =
            "--gl-platform chooses how the reference reaches OpenGL; it has no effect with "
            "the software renderer";
        return false;
    }
    const std::pair<const char*, const std::string*> outputs[] = {
        {"--png", &o.pngPath},
        {"--color-pfm", &o.colorPfmPath},
        {"--depth-pfm", &o.depthPfmPath},
        {"--depth-png", &o.depthPngPath},
        {"--faces-png", &o.facesPngPath},
        {"--fragments-png", &o.fragmentsPngPath}};
    constexpr std::size_t kOutputs = sizeof outputs / sizeof outputs[0];
    constexpr std::size_t kFirstStage = 3;
    if (std::all_of(std::begin(outputs), std::end(outputs),
                    [](const auto& output) { return output.second->empty(); })) {
        *error =
            "nothing to write: give at least one of --png, --color-pfm, --depth-pfm, "
            "--depth-png, --faces-png, --fragments-png";
        return false;
    }
    for (std::size_t i = 0; i < kOutputs; ++i) {
        for (std::size_t j = i + 1; j < kOutputs; ++j) {
            if (!outputs[i].second->empty() && *outputs[i].second == *outputs[j].second) {
                *error = std::string(outputs[i].first) + " and " + outputs[j].first +
                         " name the same file " + shown(*outputs[i].second);
                return false;
            }
        }
    }
    for (std::size_t i = kFirstStage; i < kOutputs; ++i) {
        if (o.renderer == SnapshotRenderer::OpenGL && !outputs[i].second->empty()) {
            *error = std::string(outputs[i].first) +
                     " pictures a stage of the software renderer; it cannot be used with "
                     "--renderer opengl";
            return false;
        }
    }
    return true;
}

std::vector<OptionGroup> snapshotOptions(SnapshotOptions& o) {
    return {
        frameOptions(o),
        {"Renderer:",
         {choiceOption(
              "--renderer", "R",
              "'software' (default) or 'opengl', the reference, drawn\n"
              "off screen at the frame size (see --gl-platform)",
              "renderer",
              {{"software", SnapshotRenderer::Software}, {"opengl", SnapshotRenderer::OpenGL}},
              &o.renderer),
          choiceOption("--software-path", "P",
                       "'fast' (default) or 'plain': the software renderer's\n"
                       "fast path, or the plain pixel-by-pixel path it is\n"
                       "checked against; both draw the same buffers to the bit",
                       "software path",
                       {{"fast", SoftwarePath::Fast}, {"plain", SoftwarePath::Plain}},
                       &o.softwarePath),
          countOption("--threads", "N",
                      "threads for the fast software path, 1..256 (default:\n"
                      "the number of cores); rows are shared out, the picture\n"
                      "is the same for every N. The plain path uses one",
                      kMaxSnapshotThreads, &o.threads),
          likeReferenceOption(&o.likeReference, &o.likeReferenceAll),
          glPlatformOption(&o.glPlatform)}},
        {"Outputs (at least one is required; a run that writes nothing is an error):",
         {fileOption("--png",
                     "the picture as the window shows it: 8-bit RGB, each\n"
                     "channel clamped to [0, 1] and rounded to the nearest step",
                     &o.pngPath),
          fileOption("--color-pfm",
                     "the float colour as a little-endian colour PFM (\"PF\"),\n"
                     "rows bottom to top: the software renderer's raw colour\n"
                     "buffer (not clamped), or for opengl the window's colour as\n"
                     "read back (8-bit steps as floats)",
                     &o.colorPfmPath),
          fileOption("--depth-pfm",
                     "the float depth as a little-endian greyscale PFM (\"Pf\"),\n"
                     "rows bottom to top: the software renderer's depth buffer\n"
                     "(normalised-device z, -1 near to 1 far), or for opengl the\n"
                     "window depth from the depth buffer (0 near to 1 far).\n"
                     "Both depths are non-linear and close to 1 for this scene,\n"
                     "so the picture looks white in an image viewer",
                     &o.depthPfmPath)}},
        {"Pictures of the software renderer's stages (PNG, the frame with a legend\n"
         "strip below it):",
         {fileOption("--depth-png",
                     "the depth buffer in grey: the nearest stored depth\n"
                     "brightest, the farthest dark grey, stretched over the\n"
                     "covered range (given in the legend); black where no\n"
                     "depth was stored",
                     &o.depthPngPath),
          fileOption("--faces-png",
                     "the face that won each pixel, each face in a colour of its\n"
                     "own: the hue of its object, the lightness varying with its\n"
                     "index, so the tessellation shows; white where none did",
                     &o.facesPngPath),
          fileOption("--fragments-png",
                     "how many fragments reached the depth test at each pixel\n"
                     "(overdraw), from white for none through blue (1) to dark\n"
                     "red (8 or more), with the scale in the legend",
                     &o.fragmentsPngPath)}},
    };
}

}  // namespace

OptionRule likeReferenceOption(ReferenceRules* out, bool* all) {
    return {"--like-reference", "LIST",
            "follow the reference's rules instead of the software\n"
            "renderer's own: 'all' or a comma-separated list of\n"
            "sampling (pixel centres), ambient (the reference's\n"
            "ambient term), lights (directional), viewer (at infinity),\n"
            "specular (only where the light faces the surface),\n"
            "vertex (lit at the corners, colours interpolated),\n"
            "perspective (that interpolation perspective-correct) and\n"
            "subpixel (corners snapped to 1/256 pixel). Any rule draws\n"
            "with the plain path (the fast path draws only the\n"
            "software renderer's own picture)",
            [out, all](const std::string& value, std::string* error) {
                std::string bad;
                *all = value == "all";
                if (parseReferenceRules(value, out, &bad)) return true;
                std::string names;
                for (const char* name : kReferenceRuleNames) names += std::string(", ") + name;
                *error = "unknown rule " + shown(bad) + " in --like-reference " + shown(value) +
                         ": expected 'all' or a comma-separated list of" + names.substr(1);
                return false;
            }};
}

OptionRule glPlatformOption(GlPlatform* out) {
    return choiceOption(
        "--gl-platform", "P",
        "how the reference reaches OpenGL: 'egl' off screen\n"
        "through EGL, with no X server; 'x11' in a window on the\n"
        "X display in DISPLAY, through GLX; 'auto' (default) EGL\n"
        "where it can be had, else X",
        "platform",
        {{"auto", GlPlatform::Auto}, {"egl", GlPlatform::Egl}, {"x11", GlPlatform::X11}}, out);
}

OptionGroup frameOptions(SnapshotOptions& o) {
    return {
        "Frame and view (defaults: the view the viewer starts with):",
        {countOption("--width", "W", "frame width in pixels, 1..16384 (default 480)",
                     kMaxSnapshotSide, &o.width),
         countOption("--height", "H", "frame height in pixels, 1..16384 (default 480)",
                     kMaxSnapshotSide, &o.height),
         numberOption("--angle-z", "DEG", "turn about the scene's Z axis in degrees (default -135)",
                      &o.view.angleZ),
         numberOption("--angle-x", "DEG", "tilt about the X axis in degrees (default -60)",
                      &o.view.angleX),
         numberOption("--zoom", "Z", "wheel position, 0.25 scene units per step (default 0.25)",
                      &o.view.zoom),
         numberOption("--pan-x", "PX", "horizontal pan in pixels of drag (default 0)",
                      &o.view.panX),
         numberOption("--pan-y", "PX",
                      "vertical pan in pixels of drag, down is positive (default 0)",
                      &o.view.panY)}};
}

const ToolCommand<SnapshotOptions>& snapshotCommand() {
    static const ToolCommand<SnapshotOptions> command = {
        "rasterwork-snapshot",
        "",
        R"(Renders the viewer's default scene once, without a window for the software
renderer, and writes the picture to files.
)",
        defaultSnapshotOptions(),
        snapshotOptions,
        R"(FILE '-' is standard output; binary data is not written to a terminal.
Files are replaced atomically: each is written in full to a temporary file
in its directory, and only when every output is ready are the temporaries
renamed over their targets, keeping the old file's permissions (a hard link
to the old file keeps the old content). A symbolic link is written through
to the file it points to; devices, pipes, terminals and standard output are
written in place. Two outputs that are the same file, by whatever names, and
an existing file you may not write are refused before anything is rendered.
An interrupt (SIGINT, SIGTERM, SIGHUP) removes the temporary files.

Exit status: 0 success; 1 rendering or writing failed (for example no
OpenGL for --renderer opengl, not enough memory, or a full disk), and then
no file was replaced; 2 bad arguments or an output path that cannot be
written. Every failure is one line on standard error.
)",
        nullptr,
        checkCombination,
    };
    return command;
}

ParsedArguments parseSnapshotArguments(const std::vector<std::string>& args) {
    return parseCommand(snapshotCommand(), args);
}

std::string snapshotUsage() {
    return usageOf(snapshotCommand());
}
