#include "tools/snapshot_options.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <thread>
#include <utility>

#include "tools/shown_text.h"

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

// A whole number from 1 to `largest`.
bool parseCount(const std::string& name, const std::string& text, long long largest, int* out,
                std::string* error) {
    std::size_t start = (!text.empty() && (text[0] == '-' || text[0] == '+')) ? 1 : 0;
    bool digitsOnly = text.size() > start;
    for (std::size_t i = start; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') digitsOnly = false;
    }
    if (!digitsOnly) {
        *error = "invalid value " + shown(text) + " for " + name + ": expected a whole number";
        return false;
    }
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    if (errno == ERANGE || value < 1 || value > largest) {
        *error =
            name + " must be between 1 and " + std::to_string(largest) + ", got " + shown(text);
        return false;
    }
    *out = static_cast<int>(value);
    return true;
}

bool parseSide(const std::string& name, const std::string& text, int* out, std::string* error) {
    return parseCount(name, text, kMaxSnapshotSide, out, error);
}

bool parseFinite(const std::string& name, const std::string& text, float* out, std::string* error) {
    // strtof would skip leading blanks and accept "inf" and "nan"; none of
    // that is a usable view parameter.
    const bool blankStart = text.empty() || std::isspace(static_cast<unsigned char>(text[0]));
    char* end = nullptr;
    const float value = blankStart ? 0.0f : std::strtof(text.c_str(), &end);
    if (blankStart || end == text.c_str() || *end != '\0') {
        *error = "invalid value " + shown(text) + " for " + name + ": expected a number";
        return false;
    }
    if (!std::isfinite(value)) {
        *error = "invalid value " + shown(text) + " for " + name + ": expected a finite number";
        return false;
    }
    *out = value;
    return true;
}

bool parseRenderer(const std::string& text, SnapshotRenderer* out, std::string* error) {
    if (text == "software") {
        *out = SnapshotRenderer::Software;
    } else if (text == "opengl") {
        *out = SnapshotRenderer::OpenGL;
    } else {
        *error = "unknown renderer " + shown(text) + ": expected 'software' or 'opengl'";
        return false;
    }
    return true;
}

bool parseSoftwarePath(const std::string& text, SoftwarePath* out, std::string* error) {
    if (text == "fast") {
        *out = SoftwarePath::Fast;
    } else if (text == "plain") {
        *out = SoftwarePath::Plain;
    } else {
        *error = "unknown software path " + shown(text) + ": expected 'fast' or 'plain'";
        return false;
    }
    return true;
}

// Cross-option rules, checked once every option has been read.
bool checkCombination(const SnapshotOptions& o, std::string* error) {
    const bool anyPfm = !o.colorPfmPath.empty() || !o.depthPfmPath.empty();
    if (o.pngPath.empty() && !anyPfm) {
        *error = "nothing to write: give at least one of --png, --color-pfm, --depth-pfm";
        return false;
    }
    const std::pair<const char*, const std::string*> outputs[] = {
        {"--png", &o.pngPath}, {"--color-pfm", &o.colorPfmPath}, {"--depth-pfm", &o.depthPfmPath}};
    for (std::size_t i = 0; i < 3; ++i) {
        for (std::size_t j = i + 1; j < 3; ++j) {
            if (!outputs[i].second->empty() && *outputs[i].second == *outputs[j].second) {
                *error = std::string(outputs[i].first) + " and " + outputs[j].first +
                         " name the same file " + shown(*outputs[i].second);
                return false;
            }
        }
    }
    return true;
}

}  // namespace

bool parseOutputPath(const std::string& name, const std::string& text, std::string* out,
                     std::string* error) {
    if (text.empty()) {
        *error = name + " needs a file name, got an empty one";
        return false;
    }
    *out = text;
    return true;
}

OptionRule outputPathRule(const char* name, std::string* path) {
    return OptionRule{name, true, [name, path](const std::string& value, std::string* error) {
                          return parseOutputPath(name, value, path, error);
                      }};
}

std::vector<OptionRule> frameOptionRules(SnapshotOptions& o) {
    const auto side = [](const char* name, int* out) {
        return OptionRule{name, true, [name, out](const std::string& value, std::string* error) {
                              return parseSide(name, value, out, error);
                          }};
    };
    const auto number = [](const char* name, float* out) {
        return OptionRule{name, true, [name, out](const std::string& value, std::string* error) {
                              return parseFinite(name, value, out, error);
                          }};
    };
    return {side("--width", &o.width),           side("--height", &o.height),
            number("--angle-z", &o.view.angleZ), number("--angle-x", &o.view.angleX),
            number("--zoom", &o.view.zoom),      number("--pan-x", &o.view.panX),
            number("--pan-y", &o.view.panY)};
}

ParsedArguments parseSnapshotArguments(const std::vector<std::string>& args) {
    ParsedArguments parsed;
    parsed.options = defaultSnapshotOptions();
    SnapshotOptions& o = parsed.options;
    std::vector<OptionRule> rules = frameOptionRules(o);
    rules.push_back({"--renderer", true, [&o](const std::string& value, std::string* error) {
                         return parseRenderer(value, &o.renderer, error);
                     }});
    rules.push_back({"--software-path", true, [&o](const std::string& value, std::string* error) {
                         return parseSoftwarePath(value, &o.softwarePath, error);
                     }});
    rules.push_back({"--threads", true, [&o](const std::string& value, std::string* error) {
                         return parseCount("--threads", value, kMaxSnapshotThreads, &o.threads,
                                           error);
                     }});
    rules.push_back(outputPathRule("--png", &o.pngPath));
    rules.push_back(outputPathRule("--color-pfm", &o.colorPfmPath));
    rules.push_back(outputPathRule("--depth-pfm", &o.depthPfmPath));
    parsed.outcome = parseCommandLine(args, rules, &parsed.error);
    if (parsed.outcome == CommandOutcome::Run && !checkCombination(o, &parsed.error)) {
        parsed.outcome = CommandOutcome::Error;
    }
    return parsed;
}

std::string frameOptionsHelp() {
    return R"(Frame and view (defaults: the view the viewer starts with):
  --width W          frame width in pixels, 1..16384 (default 480)
  --height H         frame height in pixels, 1..16384 (default 480)
  --angle-z DEG      turn about the scene's Z axis in degrees (default -135)
  --angle-x DEG      tilt about the X axis in degrees (default -60)
  --zoom Z           wheel position, 0.25 scene units per step (default 0.25)
  --pan-x PX         horizontal pan in pixels of drag (default 0)
  --pan-y PX         vertical pan in pixels of drag, down is positive (default 0)
)";
}

std::string snapshotUsage() {
    return R"(Usage: rasterwork-snapshot [options]

Renders the viewer's default scene once, without a window for the software
renderer, and writes the picture to files.

)" + frameOptionsHelp() +
           R"(  --renderer R       'software' (default) or 'opengl'; opengl opens a window
                     of the frame size on the X display in DISPLAY
  --software-path P  'fast' (default) or 'plain': the software renderer's
                     fast path, or the plain pixel-by-pixel path it is
                     checked against; both draw the same buffers to the bit
  --threads N        threads for the fast software path, 1..256 (default:
                     the number of cores); rows are shared out, the picture
                     is the same for every N. The plain path uses one

Outputs (at least one is required; a run that writes nothing is an error):
  --png FILE         the picture as the window shows it: 8-bit RGB, each
                     channel clamped to [0, 1] and rounded to the nearest step
  --color-pfm FILE   the float colour as a little-endian colour PFM ("PF"),
                     rows bottom to top: the software renderer's raw colour
                     buffer (not clamped), or for opengl the window's colour as
                     read back (8-bit steps as floats)
  --depth-pfm FILE   the float depth as a little-endian greyscale PFM ("Pf"),
                     rows bottom to top: the software renderer's depth buffer
                     (normalised-device z, -1 near to 1 far), or for opengl the
                     window depth from the depth buffer (0 near to 1 far).
                     Both depths are non-linear and close to 1 for this scene,
                     so the picture looks white in an image viewer

Options take their value as the next argument or after '=' (--width=640);
each option may be given once. FILE '-' is standard output.

Files are replaced atomically: each is written in full to a temporary file
in its directory, and only when every output is ready are the temporaries
renamed over their targets, keeping the old file's permissions (a hard link
to the old file keeps the old content). A symbolic link is written through
to the file it points to; devices, pipes, terminals and standard output are
written in place. Two outputs that are the same file, by whatever names, and
an existing file you may not write are refused before anything is rendered.
An interrupt (SIGINT, SIGTERM, SIGHUP) removes the temporary files.

  -h, --help         show this text and exit
      --version      show the program's version and exit

Exit status: 0 success; 1 rendering or writing failed (for example no X
display for --renderer opengl, not enough memory, or a full disk), and then
no file was replaced; 2 bad arguments or an output path that cannot be
written. Every failure is one line on standard error.
)";
}
