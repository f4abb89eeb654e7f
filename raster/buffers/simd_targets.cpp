#include "raster/buffers/simd_targets.h"

#include <hwy/targets.h>

std::vector<std::int64_t> availableSimdTargets() {
    return hwy::SupportedAndGeneratedTargets();
}

const char* simdTargetName(std::int64_t target) {
    return hwy::TargetName(target);
}

void restrictSimdTarget(std::int64_t target) {
    hwy::SetSupportedTargetsForTest(target);
}
