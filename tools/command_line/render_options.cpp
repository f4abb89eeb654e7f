#include "tools/command_line/render_options.h"

#include <algorithm>
#include <thread>

#include "base/shown_text.h"
#include "tools/command_line/option_rules.h"

int defaultSnapshotThreads() {
    const unsigned cores = std::thread::hardware_concurrency();
    if (cores == 0) return 1;
    return static_cast<int>(std::min<unsigned>(cores, kMaxSnapshotThreads));
}

RenderOptions defaultRenderOptions() {
    RenderOptions options;
    options.threads = defaultSnapshotThreads();
    return options;
}

OptionRule likeReferenceOption(ReferenceRules* out, bool* all) {
    return {"--like-reference", "LIST",
            "follow the reference's rules instead of the software\n"
            "renderer's own: 'all' or a comma-separated list of\n"
            "sampling (pixel centres), ambient (the reference's\n"
            "ambient term), lights (directional), viewer (at infinity),\n"
            "specular (only where the light faces the surface),\n"
            "vertex (lit at the corners, colours interpolated),\n"
            "perspective (that interpolation perspective-correct) and\n"
            "subpixel (corners snapped to 1/256 pixel, llvmpipe's grid;\n"
            "subpixel=BITS to 1/2^BITS pixel, BITS 1..8). Any rule draws\n"
            "with the plain path (the fast path draws only the\n"
            "software renderer's own picture)",
            [out, all](const std::string& value, std::string* error) {
                std::string bad;
                *all = value == "all";
                if (parseReferenceRules(value, out, &bad)) return true;
                const std::string grid = kReferenceRuleNames[kSubpixelRule];
                if (bad == grid || bad.rfind(grid + "=", 0) == 0) {
                    *error = "invalid grid " + shown(bad) + " in --like-reference " + shown(value) +
                             ": expected one subpixel or subpixel=BITS, BITS from 1 to " +
                             std::to_string(kMaxSubpixelBits);
                    return false;
                }
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

OptionGroup frameOptions(RenderOptions& o) {
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
