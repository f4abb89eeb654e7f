#include "matrix4.h"

#include <cmath>

Matrix4 Matrix4::multiply(const Matrix4& other) const {
    const Matrix4 a = *this;
    Matrix4 result;
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            result.at(i, j) = a.at(i, 0) * other.at(0, j) + a.at(i, 1) * other.at(1, j) +
                              a.at(i, 2) * other.at(2, j) + a.at(i, 3) * other.at(3, j);
        }
    }
    return result;
}

Vec4 Matrix4::transform(const Vec4& v) const {
    const double x = v.x, y = v.y, z = v.z, w = v.w;
    Vec4 r;
    r.x = static_cast<float>(at(0, 0) * x + at(0, 1) * y + at(0, 2) * z + at(0, 3) * w);
    r.y = static_cast<float>(at(1, 0) * x + at(1, 1) * y + at(1, 2) * z + at(1, 3) * w);
    r.z = static_cast<float>(at(2, 0) * x + at(2, 1) * y + at(2, 2) * z + at(2, 3) * w);
    r.w = static_cast<float>(at(3, 0) * x + at(3, 1) * y + at(3, 2) * z + at(3, 3) * w);
    return r;
}

namespace {
// The radian value is rounded to float before cosine and sine are taken.
float toRadians(float angleDegrees) {
    return static_cast<float>(static_cast<double>(angleDegrees) * kDegreesToRadians);
}
}  // namespace

void Matrix4::rotateX(float angleDegrees) {
    const double radians = toRadians(angleDegrees);
    const double c = std::cos(radians), s = std::sin(radians);
    Matrix4 op;
    op.at(1, 1) = c;
    op.at(1, 2) = -s;
    op.at(2, 1) = s;
    op.at(2, 2) = c;
    *this = multiply(op);
}

void Matrix4::rotateZ(float angleDegrees) {
    const double radians = toRadians(angleDegrees);
    const double c = std::cos(radians), s = std::sin(radians);
    Matrix4 op;
    op.at(0, 0) = c;
    op.at(0, 1) = -s;
    op.at(1, 0) = s;
    op.at(1, 1) = c;
    *this = multiply(op);
}

void Matrix4::translate(float x, float y, float z) {
    Matrix4 op;
    op.at(0, 3) = x;
    op.at(1, 3) = y;
    op.at(2, 3) = z;
    *this = multiply(op);
}

void Matrix4::perspective(float xExtent, float yExtent, float zNear, float zFar) {
    const double a = xExtent, b = yExtent, n = zNear, f = zFar;
    Matrix4 op;
    op.at(0, 0) = 1.0 / a;
    op.at(1, 1) = 1.0 / b;
    op.at(2, 2) = -((n + f) / (f - n));
    op.at(2, 3) = (n * f * (-2.0)) / (f - n);
    op.at(3, 2) = -1.0;
    op.at(3, 3) = 0.0;
    *this = multiply(op);
}
