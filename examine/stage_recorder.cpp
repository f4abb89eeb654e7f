#include "examine/stage_recorder.h"

#include <cstddef>

namespace {

std::size_t pixelCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace

StageRecorder::StageRecorder(int width, int height)
    : width_(width),
      height_(height),
      counts_(pixelCount(width, height), 0),
      objects_(pixelCount(width, height), kNoObject),
      faces_(pixelCount(width, height), kNoObject) {}

ShadingTerms* StageRecorder::fragment(const Fragment& fragment) {
    const std::size_t i = static_cast<std::size_t>(fragment.row) * width_ + fragment.column;
    ++counts_[i];
    if (fragment.passed) {
        objects_[i] = fragment.object;
        faces_[i] = fragment.face;
    }
    return nullptr;
}
