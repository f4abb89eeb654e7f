#pragma once

#include "math/matrix4.h"

// OpenGL takes matrices as 16 floats in column-major order: element
// 4 * column + row holds M(row, column) rounded to float, so that the loaded
// OpenGL matrix equals the row-major Matrix4 M.
void toColumnMajorFloats(const Matrix4& m, float out[16]);
