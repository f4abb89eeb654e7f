#include "transform_stack.h"

void TransformStack::loadIdentity() {
    std::vector<Matrix4>().swap(saved);
    matrix = Matrix4();
}

void TransformStack::popMatrix() {
    if (saved.empty()) return;
    matrix = saved.back();
    saved.pop_back();
}
