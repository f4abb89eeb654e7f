// The snapshot tool's argument parser over arbitrary argument lists: an
// accepted list, written back out as arguments, parses to the same options;
// a refused one gives one line with no control characters in it.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "raster/like_reference/reference_rules.h"
#include "tools/snapshot/snapshot_options.h"

namespace {

std::string exactText(float value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

std::vector<std::string> asArguments(const SnapshotOptions& o) {
    std::vector<std::string> args = {
        "--width",         std::to_string(o.width),
        "--height",        std::to_string(o.height),
        "--angle-z",       exactText(o.view.angleZ),
        "--angle-x",       exactText(o.view.angleX),
        "--zoom",          exactText(o.view.zoom),
        "--pan-x",         exactText(o.view.panX),
        "--pan-y",         exactText(o.view.panY),
        "--renderer",      o.renderer == SnapshotRenderer::OpenGL ? "opengl" : "software",
        "--software-path", o.softwarePath == SoftwarePath::Plain ? "plain" : "fast",
        "--threads",       std::to_string(o.threads)};
    if (o.likeReference.any()) {
        args.push_back("--like-reference");
        args.push_back(o.likeReferenceAll ? "all" : referenceRulesText(o.likeReference));
    }
    if (o.glPlatform != GlPlatform::Auto) {
        args.push_back("--gl-platform");
        args.push_back(o.glPlatform == GlPlatform::Egl ? "egl" : "x11");
    }
    const std::pair<const char*, const std::string*> paths[] = {
        {"--png", &o.pngPath},
        {"--color-pfm", &o.colorPfmPath},
        {"--depth-pfm", &o.depthPfmPath},
        {"--depth-png", &o.depthPngPath},
        {"--faces-png", &o.facesPngPath},
        {"--fragments-png", &o.fragmentsPngPath}};
    for (const auto& [name, path] : paths) {
        if (path->empty()) continue;
        args.push_back(name);
        args.push_back(*path);
    }
    return args;
}

bool sameBits(float a, float b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

bool sameOptions(const SnapshotOptions& a, const SnapshotOptions& b) {
    return a.width == b.width && a.height == b.height && sameBits(a.view.angleZ, b.view.angleZ) &&
           sameBits(a.view.angleX, b.view.angleX) && sameBits(a.view.zoom, b.view.zoom) &&
           sameBits(a.view.panX, b.view.panX) && sameBits(a.view.panY, b.view.panY) &&
           a.renderer == b.renderer && a.pngPath == b.pngPath && a.colorPfmPath == b.colorPfmPath &&
           a.depthPfmPath == b.depthPfmPath && a.depthPngPath == b.depthPngPath &&
           a.facesPngPath == b.facesPngPath && a.fragmentsPngPath == b.fragmentsPngPath &&
           a.softwarePath == b.softwarePath && a.threads == b.threads &&
           referenceRulesText(a.likeReference) == referenceRulesText(b.likeReference) &&
           a.likeReferenceAll == b.likeReferenceAll && a.glPlatform == b.glPlatform;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // Arguments are separated by NUL bytes, as in a real argv.
    std::vector<std::string> args(1);
    for (std::size_t i = 0; i < size && args.size() <= 64; ++i) {
        if (data[i] == 0) {
            args.emplace_back();
        } else {
            args.back().push_back(static_cast<char>(data[i]));
        }
    }
    const ParsedArguments parsed = parseSnapshotArguments(args);
    if (parsed.outcome == ParsedArguments::Outcome::Error) {
        if (parsed.error.empty()) std::abort();
        for (char c : parsed.error) {
            const unsigned char byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7f) std::abort();
        }
        return 0;
    }
    if (parsed.outcome != ParsedArguments::Outcome::Run) return 0;
    const ParsedArguments again = parseSnapshotArguments(asArguments(parsed.options));
    if (again.outcome != ParsedArguments::Outcome::Run) std::abort();
    if (!sameOptions(parsed.options, again.options)) std::abort();
    return 0;
}
