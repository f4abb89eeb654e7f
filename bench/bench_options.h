#pragma once

#include <cstdint>
#include <string>

#include "gl/surface/gl_platform.h"

// The benchmark's own options; every other argument is Google Benchmark's.
struct BenchOptions {
    GlPlatform glPlatform = GlPlatform::Auto;  // --gl-platform auto|egl|x11
    std::int64_t simdTarget = 0;               // --simd-target NAME; 0: the best one here
};

// Takes --gl-platform and --simd-target (as "--name=value" or "--name
// value") out of argv, leaving the other arguments in order. False, with a
// one-line reason, for a missing or unknown value.
bool takeBenchOptions(int* argc, char** argv, BenchOptions* options, std::string* problem);
