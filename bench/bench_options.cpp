#include "bench/bench_options.h"

#include <cstring>
#include <vector>

#include "raster/buffers/simd_targets.h"

namespace {

bool parseGlPlatform(const std::string& name, GlPlatform* platform) {
    if (name == "auto") {
        *platform = GlPlatform::Auto;
    } else if (name == "egl") {
        *platform = GlPlatform::Egl;
    } else if (name == "x11") {
        *platform = GlPlatform::X11;
    } else {
        return false;
    }
    return true;
}

// The names of the SIMD targets this processor runs, best first.
std::string targetNames() {
    std::string names;
    for (const std::int64_t target : availableSimdTargets())
        names += (names.empty() ? "" : ", ") + std::string(simdTargetName(target));
    return names;
}

bool parseSimdTarget(const std::string& name, std::int64_t* target) {
    for (const std::int64_t available : availableSimdTargets()) {
        if (name == simdTargetName(available)) {
            *target = available;
            return true;
        }
    }
    return false;
}

// The value of argv[*i] when it is `flag` ("--flag=value", or "--flag" and
// the next argument, *i then stepping over it); nullptr when argv[*i] is
// another argument. *missing when the flag comes last without a value.
const char* flagValue(const char* flag, int argc, char** argv, int* i, bool* missing) {
    const std::size_t length = std::strlen(flag);
    if (std::strcmp(argv[*i], flag) == 0) {
        if (*i + 1 == argc) {
            *missing = true;
            return nullptr;
        }
        return argv[++*i];
    }
    if (std::strncmp(argv[*i], flag, length) == 0 && argv[*i][length] == '=')
        return argv[*i] + length + 1;
    return nullptr;
}

}  // namespace

bool takeBenchOptions(int* argc, char** argv, BenchOptions* options, std::string* problem) {
    int kept = 1;
    for (int i = 1; i < *argc; ++i) {
        bool missing = false;
        if (const char* value = flagValue("--gl-platform", *argc, argv, &i, &missing)) {
            if (parseGlPlatform(value, &options->glPlatform)) continue;
            *problem =
                std::string("unknown --gl-platform '") + value + "': expected auto, egl or x11";
            return false;
        }
        if (missing) {
            *problem = "--gl-platform needs a value: auto, egl or x11";
            return false;
        }
        if (const char* value = flagValue("--simd-target", *argc, argv, &i, &missing)) {
            if (parseSimdTarget(value, &options->simdTarget)) continue;
            *problem = std::string("unknown --simd-target '") + value + "': this processor runs " +
                       targetNames();
            return false;
        }
        if (missing) {
            *problem = "--simd-target needs a value: one of " + targetNames();
            return false;
        }
        argv[kept++] = argv[i];
    }
    *argc = kept;
    return true;
}
