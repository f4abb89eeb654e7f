#pragma once

#include <vector>

#include "matrix4.h"

// A transform with room for its inverse and a stack of saved copies.
// `inverse` is refreshed only by an explicit matrix.invert(inverse);
// nothing here keeps it in step with `matrix`.
struct TransformStack {
    Matrix4 matrix;
    Matrix4 inverse;
    std::vector<Matrix4> saved;

    TransformStack() { loadIdentity(); }

    // Identity, and every saved matrix dropped with its storage.
    void loadIdentity();
    void pushMatrix() { saved.push_back(matrix); }
    // Restores the last saved matrix. With nothing saved this does nothing:
    // the current matrix stays as it is.
    void popMatrix();

    Vec4 transform(const Vec4& v) const { return matrix.transform(v); }
    Vec4 inverseTransform(const Vec4& v) const { return inverse.transform(v); }
};
