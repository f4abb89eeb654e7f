#pragma once

#include <optional>
#include <string>

#include "gl/surface/gl_platform.h"
#include "raster/like_reference/reference_rules.h"
#include "raster/plain/stop_point.h"
#include "tools/command_line/command_line.h"
#include "view/view.h"

enum class SnapshotRenderer { Software, OpenGL };

// Which software path draws: the fast one the viewer runs, or the plain
// pixel-by-pixel one it is checked against. Both give the same buffers.
enum class SoftwarePath { Fast, Plain };

// Largest accepted --threads value.
constexpr int kMaxSnapshotThreads = 256;

// The number of cores, at least 1 and at most kMaxSnapshotThreads.
int defaultSnapshotThreads();

// Largest accepted frame side; keeps every pixel index and byte count well
// inside the ranges the renderers and the image writers use.
constexpr int kMaxSnapshotSide = 16384;

// What every tool renders: the frame size, the view, the renderer and how
// the software renderer draws.
struct RenderOptions {
    int width = 480;
    int height = 480;
    View view;
    SnapshotRenderer renderer = SnapshotRenderer::Software;
    SoftwarePath softwarePath = SoftwarePath::Fast;
    int threads = 1;               // threads of the fast software path; defaults to the cores
    ReferenceRules likeReference;  // any rule on: the plain path, following those rules
    // --like-reference all: every rule; where a reference is drawn, the
    // rules that hold for the OpenGL implementation found.
    bool likeReferenceAll = false;
    GlPlatform glPlatform = GlPlatform::Auto;  // how the reference reaches OpenGL
    // Where the frame stops (rasterwork-snapshot --stop-after); none: the
    // whole frame. The software renderer draws it on the plain path.
    std::optional<StopPoint> stopAfter;
};

// 480 x 480, software renderer on its fast path with one thread per core,
// the view the viewer starts with.
RenderOptions defaultRenderOptions();

// The frame-size and view options (--width, --height, --angle-z, --angle-x,
// --zoom, --pan-x, --pan-y), writing into o; shared by every tool that
// renders a view.
OptionGroup frameOptions(RenderOptions& o);

// --like-reference LIST: the reference's rules the software renderer follows
// instead of its own, "all" (then *all is set) or names from
// kReferenceRuleNames.
OptionRule likeReferenceOption(ReferenceRules* out, bool* all);

// --gl-platform auto|egl|x11: how the reference reaches OpenGL.
OptionRule glPlatformOption(GlPlatform* out);
