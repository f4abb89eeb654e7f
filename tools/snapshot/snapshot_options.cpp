#include "tools/snapshot/snapshot_options.h"

#include <algorithm>
#include <utility>

#include "base/shown_text.h"
#include "tools/command_line/face_address.h"
#include "tools/command_line/option_rules.h"
#include "tools/snapshot/snapshot_outputs.h"

SnapshotOptions defaultSnapshotOptions() {
    SnapshotOptions options;
    static_cast<RenderOptions&>(options) = defaultRenderOptions();
    return options;
}

namespace {

bool wanted(const SnapshotOptions& o, const SnapshotOutput& output) {
    return !(o.*output.path).empty();
}

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
    if (std::none_of(kSnapshotOutputs.begin(), kSnapshotOutputs.end(),
                     [&](const SnapshotOutput& output) { return wanted(o, output); })) {
        std::string flags;
        for (const SnapshotOutput& output : kSnapshotOutputs) {
            flags += (flags.empty() ? "" : ", ") + std::string(output.flag);
        }
        *error = "nothing to write: give at least one of " + flags;
        return false;
    }
    for (std::size_t i = 0; i < kSnapshotOutputCount; ++i) {
        const SnapshotOutput& first = kSnapshotOutputs[i];
        for (std::size_t j = i + 1; j < kSnapshotOutputCount; ++j) {
            const SnapshotOutput& second = kSnapshotOutputs[j];
            if (wanted(o, first) && o.*first.path == o.*second.path) {
                *error = std::string(first.flag) + " and " + second.flag + " name the same file " +
                         shown(o.*first.path);
                return false;
            }
        }
    }
    if (o.stopAfter) {
        if (!checkFaceExists("--stop-after", *o.stopAfter, o.height, error)) return false;
        if (o.stopAfter->row != StopPoint::kWholeFace && o.renderer == SnapshotRenderer::OpenGL) {
            *error =
                "--stop-after with a row stops the software renderer's row walk; with "
                "--renderer opengl give OBJECT:FACE only";
            return false;
        }
    }
    for (const SnapshotOutput& output : kSnapshotOutputs) {
        if (output.stage && o.renderer == SnapshotRenderer::OpenGL && wanted(o, output)) {
            *error = std::string(output.flag) +
                     " pictures a stage of the software renderer; it cannot be used with "
                     "--renderer opengl";
            return false;
        }
    }
    return true;
}

// The file options of the outputs that do or do not picture a stage.
std::vector<OptionRule> outputOptions(SnapshotOptions& o, bool stage) {
    std::vector<OptionRule> rules;
    for (const SnapshotOutput& output : kSnapshotOutputs) {
        if (output.stage == stage) {
            rules.push_back(fileOption(output.flag, output.help, &(o.*output.path)));
        }
    }
    return rules;
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
          glPlatformOption(&o.glPlatform), stopAfterOption(&o.stopAfter)}},
        {"Outputs (at least one is required; a run that writes nothing is an error):",
         outputOptions(o, false)},
        {"Pictures of the software renderer's stages (PNG, the frame with a legend\n"
         "strip below it):",
         outputOptions(o, true)},
    };
}

}  // namespace

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
