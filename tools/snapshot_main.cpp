// rasterwork-snapshot: renders the default scene once and writes the picture
// and its float colour and depth to files.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "raster/frame_buffers.h"
#include "tools/image_files.h"
#include "tools/output_file.h"
#include "tools/snapshot_options.h"
#include "tools/snapshot_render.h"

namespace {

constexpr int kFailed = 1;
constexpr int kBadArguments = 2;

int fail(int status, const std::string& message) {
    std::fprintf(stderr, "rasterwork-snapshot: %s\n", message.c_str());
    return status;
}

std::unique_ptr<OutputFile> outputFor(const std::string& path) {
    return path.empty() ? nullptr : std::make_unique<OutputFile>(path);
}

std::string writeFailure(const OutputFile& file) {
    const int code = errno ? errno : EIO;
    return "cannot write '" + file.path() + "': " + std::strerror(code);
}

int run(const SnapshotOptions& options) {
    // Every output is opened before rendering, so a bad path costs no render
    // and nothing is left behind; the temporaries vanish unless committed.
    std::unique_ptr<OutputFile> png = outputFor(options.pngPath);
    std::unique_ptr<OutputFile> colorPfm = outputFor(options.colorPfmPath);
    std::unique_ptr<OutputFile> depthPfm = outputFor(options.depthPfmPath);
    OutputFile* const outputs[] = {png.get(), colorPfm.get(), depthPfm.get()};
    for (OutputFile* output : outputs) {
        std::string error;
        if (output && !output->open(&error)) return fail(kBadArguments, error);
    }

    const int width = options.width;
    const int height = options.height;
    std::vector<std::uint8_t> rgb;
    OpenGLReadback reference;
    const Color* colors = colorBuffer;
    const float* depths = depthBuffer;
    try {
        if (options.renderer == SnapshotRenderer::OpenGL) {
            const unsigned parts = (png ? OpenGLReadback::kRgb : 0u) |
                                   (colorPfm ? OpenGLReadback::kColor : 0u) |
                                   (depthPfm ? OpenGLReadback::kDepth : 0u);
            std::string error;
            if (!renderOpenGLSnapshot(options, parts, &reference, &error)) {
                return fail(kFailed, error);
            }
            rgb = std::move(reference.rgbTopDown);
            colors = reference.color.data();
            depths = reference.depth.data();
        } else {
            renderSoftwareSnapshot(options);
            if (png) rgb = colorBufferToRgbTopDown(colorBuffer, width, height);
            colors = colorBuffer;
            depths = depthBuffer;
        }
    } catch (const std::bad_alloc&) {
        return fail(kFailed, "not enough memory for a " + std::to_string(width) + " x " +
                                 std::to_string(height) + " picture");
    }

    errno = 0;
    if (png && !writePng(png->stream(), rgb.data(), width, height)) {
        return fail(kFailed, writeFailure(*png));
    }
    if (colorPfm && !writeColorPfm(colorPfm->stream(), colors, width, height)) {
        return fail(kFailed, writeFailure(*colorPfm));
    }
    if (depthPfm && !writeDepthPfm(depthPfm->stream(), depths, width, height)) {
        return fail(kFailed, writeFailure(*depthPfm));
    }
    for (OutputFile* output : outputs) {
        std::string error;
        if (output && !output->commit(&error)) return fail(kFailed, error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    const ParsedArguments parsed = parseSnapshotArguments(args);
    switch (parsed.outcome) {
        case ParsedArguments::Outcome::Help:
            std::fputs(snapshotUsage().c_str(), stdout);
            return std::fflush(stdout) == 0 ? 0 : kFailed;
        case ParsedArguments::Outcome::Version:
            std::puts(versionLine("rasterwork-snapshot").c_str());
            return std::fflush(stdout) == 0 ? 0 : kFailed;
        case ParsedArguments::Outcome::Error:
            return fail(kBadArguments, parsed.error);
        case ParsedArguments::Outcome::Run:
            break;
    }
    return run(parsed.options);
}
