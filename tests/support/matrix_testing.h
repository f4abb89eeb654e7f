#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "math/matrix4.h"

// Builds a matrix from 16 values given row by row.
inline Matrix4 matrixFromRows(std::initializer_list<double> values) {
    Matrix4 m;
    int k = 0;
    for (double v : values) m.m[k++] = v;
    return m;
}

// Bit-for-bit equality of all 16 elements (so -0.0 differs from 0.0 and a
// NaN equals the same NaN).
inline ::testing::AssertionResult sameBits(const Matrix4& a, const Matrix4& b) {
    for (int k = 0; k < 16; ++k) {
        if (std::memcmp(&a.m[k], &b.m[k], sizeof(double)) != 0) {
            return ::testing::AssertionFailure()
                   << "element (" << k / 4 << ", " << k % 4 << "): " << a.m[k] << " vs " << b.m[k];
        }
    }
    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult nearMatrix(const Matrix4& a, const Matrix4& b, double tolerance) {
    for (int k = 0; k < 16; ++k) {
        const double d = a.m[k] - b.m[k];
        if (!(d <= tolerance && -d <= tolerance)) {
            return ::testing::AssertionFailure()
                   << "element (" << k / 4 << ", " << k % 4 << "): " << a.m[k] << " vs " << b.m[k];
        }
    }
    return ::testing::AssertionSuccess();
}
