#include <cmath>
#include <utility>

#include "matrix4.h"

// Gauss-Jordan elimination with partial pivoting on [M | I], unrolled for
// 4 x 4. Rows are exchanged by swapping handles, never by moving data; the
// entries left of the pivots are never cleared because nothing reads them.
int Matrix4::invert(Matrix4& destination) const {
    double rows[4][8];
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 4; ++j) {
            rows[k][j] = at(k, j);
            rows[k][j + 4] = (j == k) ? 1.0 : 0.0;
        }
    }
    double* r0 = rows[0];
    double* r1 = rows[1];
    double* r2 = rows[2];
    double* r3 = rows[3];

    // Column 0.
    if (std::fabs(r3[0]) > std::fabs(r2[0])) std::swap(r3, r2);
    if (std::fabs(r2[0]) > std::fabs(r1[0])) std::swap(r2, r1);
    if (std::fabs(r1[0]) > std::fabs(r0[0])) std::swap(r1, r0);
    if (r0[0] == 0.0) return 0;
    double s = 1.0 / r0[0];
    double m1 = s * r1[0];
    double m2 = s * r2[0];
    double m3 = s * r3[0];
    for (int j = 1; j < 4; ++j) {
        r1[j] -= m1 * r0[j];
        r2[j] -= m2 * r0[j];
        r3[j] -= m3 * r0[j];
    }
    for (int j = 4; j < 8; ++j) {
        if (r0[j] != 0.0) {
            r1[j] -= m1 * r0[j];
            r2[j] -= m2 * r0[j];
            r3[j] -= m3 * r0[j];
        }
    }

    // Column 1.
    if (std::fabs(r3[1]) > std::fabs(r2[1])) std::swap(r3, r2);
    if (std::fabs(r2[1]) > std::fabs(r1[1])) std::swap(r2, r1);
    if (r1[1] == 0.0) return 0;
    s = 1.0 / r1[1];
    m2 = s * r2[1];
    m3 = s * r3[1];
    for (int j = 2; j < 4; ++j) {
        r2[j] -= m2 * r1[j];
        r3[j] -= m3 * r1[j];
    }
    for (int j = 4; j < 8; ++j) {
        if (r1[j] != 0.0) {
            r2[j] -= m2 * r1[j];
            r3[j] -= m3 * r1[j];
        }
    }

    // Column 2: a division here, not a reciprocal.
    if (std::fabs(r3[2]) > std::fabs(r2[2])) std::swap(r3, r2);
    if (r2[2] == 0.0) return 0;
    m3 = r3[2] / r2[2];
    for (int j = 3; j < 8; ++j) r3[j] -= m3 * r2[j];
    if (r3[3] == 0.0) return 0;

    // Back substitution on the right half only.
    s = 1.0 / r3[3];
    for (int j = 4; j < 8; ++j) r3[j] = r3[j] * s;
    double m = r2[3];
    s = 1.0 / r2[2];
    for (int j = 4; j < 8; ++j) r2[j] = (r2[j] - m * r3[j]) * s;
    m = r1[3];
    for (int j = 4; j < 8; ++j) r1[j] -= m * r3[j];
    m = r0[3];
    for (int j = 4; j < 8; ++j) r0[j] -= m * r3[j];
    m = r1[2];
    s = 1.0 / r1[1];
    for (int j = 4; j < 8; ++j) r1[j] = (r1[j] - m * r2[j]) * s;
    m = r0[2];
    for (int j = 4; j < 8; ++j) r0[j] -= m * r2[j];
    m = r0[1];
    s = 1.0 / r0[0];
    for (int j = 4; j < 8; ++j) r0[j] = (r0[j] - m * r1[j]) * s;

    const double* handles[4] = {r0, r1, r2, r3};
    for (int k = 0; k < 4; ++k) {
        for (int j = 0; j < 4; ++j) destination.at(k, j) = handles[k][j + 4];
    }
    return 1;
}
