#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>

#include "math/matrix4.h"
#include "matrix_testing.h"

namespace {

const Matrix4 kIdentity;

// A destination filled with a recognisable pattern, NaNs included, so that
// any write to it shows up bit for bit.
Matrix4 sentinel() {
    Matrix4 m;
    for (int k = 0; k < 16; ++k) m.m[k] = (k % 5 == 0) ? std::nan("7") : 1000.0 + k;
    return m;
}

void expectFailureLeavesDestination(const Matrix4& singular) {
    const Matrix4 before = sentinel();
    Matrix4 destination = before;
    EXPECT_EQ(singular.invert(destination), 0);
    EXPECT_EQ(std::memcmp(&destination, &before, sizeof(Matrix4)), 0);
}

double maxAbs(const Matrix4& m) {
    double r = 0;
    for (double e : m.m) r = std::fmax(r, std::fabs(e));
    return r;
}

TEST(Invert, IdentityInvertsToItself) {
    Matrix4 destination = sentinel();
    EXPECT_EQ(kIdentity.invert(destination), 1);
    EXPECT_TRUE(sameBits(destination, kIdentity));
}

TEST(Invert, TranslationInvertsToTheOppositeTranslation) {
    Matrix4 t;
    t.translate(0.1f, -2.5f, 7.0f);
    Matrix4 expected;
    expected.translate(-0.1f, 2.5f, -7.0f);
    Matrix4 inverse;
    EXPECT_EQ(t.invert(inverse), 1);
    EXPECT_TRUE(sameBits(inverse, expected));
}

TEST(Invert, RotationInvertsToItsTranspose) {
    Matrix4 r;
    r.rotateZ(37);
    r.rotateX(-112);
    Matrix4 inverse;
    EXPECT_EQ(r.invert(inverse), 1);
    Matrix4 transpose;
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) transpose.at(i, j) = r.at(j, i);
    EXPECT_TRUE(nearMatrix(inverse, transpose, 1e-15));
}

TEST(Invert, PermutationNeedingRowExchangesInvertsToItself) {
    const Matrix4 p = matrixFromRows({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0});
    Matrix4 inverse;
    EXPECT_EQ(p.invert(inverse), 1);
    EXPECT_TRUE(sameBits(inverse, p));

    // A cyclic shift inverts to the opposite shift (its transpose).
    const Matrix4 c = matrixFromRows({0, 0, 0, 1, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0});
    EXPECT_EQ(c.invert(inverse), 1);
    EXPECT_TRUE(
        sameBits(inverse, matrixFromRows({0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 1, 0, 0, 0})));
}

TEST(Invert, SourceIsNotChanged) {
    const Matrix4 p = matrixFromRows({0, 1, 0, 0, 2, 0, 0, 0, 0, 0, 0, 4, 0, 0, 8, 0});
    Matrix4 source = p;
    Matrix4 inverse;
    EXPECT_EQ(source.invert(inverse), 1);
    EXPECT_TRUE(sameBits(source, p));
    EXPECT_TRUE(sameBits(
        inverse, matrixFromRows({0, 0.5, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0.125, 0, 0, 0.25, 0})));
}

TEST(Invert, ExactlyZeroPivotFailsAndLeavesDestinationUntouched) {
    // A zero row, in each position.
    for (int row = 0; row < 4; ++row) {
        Matrix4 m = matrixFromRows({2, 1, 0, 3, -1, 4, 2, 0, 5, 0, 1, 1, 0, 2, -3, 6});
        for (int j = 0; j < 4; ++j) m.at(row, j) = 0.0;
        SCOPED_TRACE(row);
        expectFailureLeavesDestination(m);
    }
    // First column all zero: fails at the very first pivot.
    expectFailureLeavesDestination(
        matrixFromRows({0, 1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 9, 0, 1, 1, 1}));
    // Negative zeros count as zero.
    expectFailureLeavesDestination(
        matrixFromRows({-0.0, 1, 2, 3, -0.0, 4, 5, 6, 0, 7, 8, 9, -0.0, 1, 1, 1}));
    // Zero pivots in the second and third columns, after exact elimination.
    expectFailureLeavesDestination(
        matrixFromRows({1, 2, 0, 0, 2, 4, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    expectFailureLeavesDestination(
        matrixFromRows({1, 0, 1, 0, 0, 1, 1, 0, 1, 1, 2, 0, 0, 0, 0, 1}));
    // Last pivot zero: fourth column a copy of the third.
    expectFailureLeavesDestination(
        matrixFromRows({1, 0, 2, 2, 0, 1, 3, 3, 0, 0, 1, 1, 0, 0, 5, 5}));
    // The zero matrix.
    Matrix4 zero;
    for (double& e : zero.m) e = 0.0;
    expectFailureLeavesDestination(zero);
}

TEST(Invert, TinyNonZeroPivotOfASingularMatrixCountsAsSuccess) {
    // Rows 0 and 2 are equal; rounding in the elimination leaves a last
    // pivot that is tiny but not zero, so the result is 1 with huge entries.
    const Matrix4 m = matrixFromRows(
        {0.4, -0.1, 0.3, 0, 0.6, 0.7, 0.2, -0.8, 0.4, -0.1, 0.3, 0, -0.6, -0.4, -0.1, 0});
    Matrix4 inverse;
    EXPECT_EQ(m.invert(inverse), 1);
    for (double e : inverse.m) EXPECT_TRUE(std::isfinite(e));
    EXPECT_GT(maxAbs(inverse), 1e12);
}

TEST(Invert, NonFiniteInputsRunThroughWithSuccess) {
    Matrix4 m;
    m.at(1, 2) = std::nan("");
    Matrix4 inverse;
    EXPECT_EQ(m.invert(inverse), 1);
    EXPECT_TRUE(std::isnan(inverse.at(1, 2)));

    // A NaN in the first column is never chosen over a number and is not a
    // zero pivot.
    Matrix4 n = matrixFromRows({std::nan(""), 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_EQ(n.invert(inverse), 1);
    EXPECT_TRUE(std::isnan(inverse.at(0, 0)));
}

TEST(Invert, PerspectiveIsInvertible) {
    Matrix4 p;
    p.perspective(0.4f, 0.4f, 0.1f, 10.0f);
    Matrix4 inverse;
    EXPECT_EQ(p.invert(inverse), 1);
    EXPECT_TRUE(nearMatrix(inverse.multiply(p), kIdentity, 1e-14));
    EXPECT_TRUE(nearMatrix(p.multiply(inverse), kIdentity, 1e-14));
    // Depth -1 at w = 1 in clip space goes back to the near plane.
    const Vec4 eye = inverse.transform(Vec4{0, 0, -1, 1});
    EXPECT_FLOAT_EQ(eye.z / eye.w, -0.1f);
}

TEST(Invert, ProductWithTheSourceIsCloseToIdentityForRandomMatrices) {
    std::mt19937 rng(20240611);
    std::uniform_real_distribution<double> value(-1.0, 1.0);
    std::uniform_int_distribution<int> slot(0, 3);
    for (int n = 0; n < 2000; ++n) {
        // Random entries plus a dominant entry in a random column of each
        // row of a random permutation keep the matrix well conditioned and
        // make the pivot search exchange rows.
        Matrix4 m;
        for (double& e : m.m) e = value(rng);
        int columns[4] = {0, 1, 2, 3};
        std::shuffle(columns, columns + 4, rng);
        for (int i = 0; i < 4; ++i) m.at(i, columns[i]) += (slot(rng) % 2 ? 4.0 : -4.0);
        Matrix4 inverse;
        ASSERT_EQ(m.invert(inverse), 1);
        ASSERT_TRUE(nearMatrix(inverse.multiply(m), kIdentity, 1e-14)) << n;
        ASSERT_TRUE(nearMatrix(m.multiply(inverse), kIdentity, 1e-14)) << n;
    }
}

TEST(Invert, CameraLikeTransformsInvert) {
    Matrix4 view;
    view.translate(0.2f, -0.1f, -3.0f);
    view.rotateX(-60);
    view.rotateZ(135);
    Matrix4 inverse;
    EXPECT_EQ(view.invert(inverse), 1);
    const Vec4 p{0.3f, -0.7f, 0.25f, 1};
    const Vec4 back = inverse.transform(view.transform(p));
    EXPECT_NEAR(back.x, p.x, 1e-6);
    EXPECT_NEAR(back.y, p.y, 1e-6);
    EXPECT_NEAR(back.z, p.z, 1e-6);
    EXPECT_NEAR(back.w, 1.0f, 1e-6);
}

}  // namespace
