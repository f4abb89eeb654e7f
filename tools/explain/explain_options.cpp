#include "tools/explain/explain_options.h"

#include <cerrno>
#include <cstdlib>

#include "base/shown_text.h"
#include "tools/command_line/face_address.h"
#include "tools/command_line/option_rules.h"
#include "tools/outputs/tool_outputs.h"

namespace {

std::vector<OptionGroup> explainOptions(ExplainOptions& o) {
    return {
        frameOptions(o.frame),
        {"Reference:", {glPlatformOption(&o.frame.glPlatform)}},
        {"Software renderer:",
         {likeReferenceOption(&o.frame.likeReference, &o.frame.likeReferenceAll)}},
        {"Output:",
         {faceOption(&o.face),
          flagOption("--json",
                     "print the explanation as one JSON object (keys why,\n"
                     "settled_by, x, y, width, height, software, reference,\n"
                     "coverage, step_difference, reference_model,\n"
                     "reference_implementation)",
                     &o.json),
          fileOption("--crop-png",
                     "write the magnifier: 15 x 15 pixels around the pixel drawn\n"
                     "as geometry, 32 screen pixels each (the grid, colours and\n"
                     "centres, the faces' outlines as the vertex stage put them\n"
                     "and dashed on the reference's grid, each row's edge x as\n"
                     "ticks and filled columns as bars, one-side coverage\n"
                     "ringed); below it the software picture, the reference\n"
                     "picture and the difference map of those pixels as\n"
                     "rasterwork-compare draws them (the software panel alone\n"
                     "when there is no reference)",
                     &o.cropPngPath)}},
    };
}

// A pixel coordinate: decimal digits with an optional sign, any whole
// number; whether it lies in the frame is checked once the size is known.
bool readCoordinate(const std::string& what, const std::string& text, int* out,
                    std::string* error) {
    const std::size_t start = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool digitsOnly = text.size() > start;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') digitsOnly = false;
    }
    errno = 0;
    const long long value = digitsOnly ? std::strtoll(text.c_str(), nullptr, 10) : 0;
    if (!digitsOnly || errno == ERANGE || value < -kMaxSnapshotSide || value > kMaxSnapshotSide) {
        *error = "invalid " + what + " " + shown(text) + ": expected a whole number";
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool readPixel(const std::vector<std::string>& operands, ExplainOptions& o, std::string* error) {
    if (o.face && operands.empty()) {
        o.pixelGiven = false;
        return true;
    }
    if (operands.size() < 2) {
        *error = operands.empty() ? "missing the pixel: give its column X and row Y"
                                  : "missing the pixel's row Y after the column X";
        return false;
    }
    if (operands.size() > 2) {
        *error = "unexpected argument " + shown(operands[2]);
        return false;
    }
    return readCoordinate("column X", operands[0], &o.x, error) &&
           readCoordinate("row Y", operands[1], &o.y, error);
}

bool pixelInFrame(const ExplainOptions& o, std::string* error) {
    if (o.face && !checkFaceExists("--face", *o.face, o.frame.height, error)) return false;
    const int width = o.frame.width;
    const int height = o.frame.height;
    if (o.x >= 0 && o.x < width && o.y >= 0 && o.y < height) return true;
    *error = "pixel " + std::to_string(o.x) + ", " + std::to_string(o.y) + " is outside the " +
             std::to_string(width) + " x " + std::to_string(height) + " frame (columns 0 to " +
             std::to_string(width - 1) + ", rows 0 to " + std::to_string(height - 1) + ")";
    return false;
}

}  // namespace

const ToolCommand<ExplainOptions>& explainCommand() {
    static const ToolCommand<ExplainOptions> command = {
        "rasterwork-explain",
        "X Y",
        R"(Explains one pixel of the viewer's default scene: column X (0 at the left)
and row Y (0 at the bottom, as in the renderers' buffers) of the frame at the
given size and view. Renders the scene with the software rasteriser's plain
path (under the reference's rules that --like-reference names, if any; 'all'
takes those that hold for the OpenGL found), watching every fragment that
reaches the pixel, and with the OpenGL reference (off screen through EGL, or
in a window of its own on the X display in DISPLAY: see --gl-platform), then
prints why in words (a sentence for each side and the step of the difference
ladder that settles the difference: the cause map's step at the pixel), then:

  the software side: every fragment at the pixel in draw order (object and
  face, the span on that row, its depth and the depth it was tested against,
  passed or failed, and for the ones that passed every lighting term on the
  way to their colour), then the colour and depth the buffers hold and the
  window's bytes for that colour;
  the reference side: the OpenGL that drew it, the window's bytes and depth
  there, and which object OpenGL drew there;
  whether both, one or neither renderer covers the pixel, and the difference
  per channel in 8-bit steps.

Where the reference cannot reach OpenGL at all (neither EGL nor an X display),
only the software side is printed, with a line saying why the reference is
missing.

With --face O:F it explains one face's scan conversion instead (software
side only, X Y optional): the face's corners on the screen, its edge table
(each side's rows, its x on its first row and its change of x, depth and
normal per row), then for each row the face covers the active edges in x
order, the edges entering and retiring there, the spans (left x, right x,
first column, end column, the end column not filled) and each column's depth
test against the depth buffer as the faces before it left it.
)",
        ExplainOptions{},
        explainOptions,
        R"(Negative numbers look like options: write "--" before the operands to give
one (it is outside the frame all the same).

Exit status: 0 success, also when the reference could not be drawn for want
of OpenGL; 1 rendering or writing failed; 2 bad arguments (a pixel outside
the frame among them) or an output path that cannot be written.
)",
        readPixel,
        pixelInFrame,
    };
    return command;
}

ParsedExplainArguments parseExplainArguments(const std::vector<std::string>& args) {
    return parseCommand(explainCommand(), args);
}

std::string explainUsage() {
    return usageOf(explainCommand());
}

bool prepareCropOutput(const ExplainOptions& options, std::vector<OutputTarget>* targets,
                       std::string* error) {
    std::vector<std::pair<std::string, std::string>> named;
    if (!options.cropPngPath.empty()) named.emplace_back("--crop-png", options.cropPngPath);
    return prepareOutputs(named, "the explanation", targets, error);
}
