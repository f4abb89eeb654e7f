#pragma once

#include <cstdint>
#include <vector>

// The SIMD targets compiled in and supported here, best first, and a way to
// restrict the run-time dispatch to one of them (0 lifts the restriction).
std::vector<std::int64_t> availableSimdTargets();
const char* simdTargetName(std::int64_t target);
void restrictSimdTarget(std::int64_t target);
