#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "math/matrix4.h"
#include "matrix_testing.h"

namespace {

const Matrix4 kIdentity = matrixFromRows({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});

Matrix4 randomMatrix(std::mt19937& rng) {
    std::uniform_real_distribution<double> value(-10.0, 10.0);
    Matrix4 m;
    for (double& e : m.m) e = value(rng);
    return m;
}

void expectVec(const Vec4& v, float x, float y, float z, float w, float tolerance) {
    EXPECT_NEAR(v.x, x, tolerance);
    EXPECT_NEAR(v.y, y, tolerance);
    EXPECT_NEAR(v.z, z, tolerance);
    EXPECT_NEAR(v.w, w, tolerance);
}

TEST(Matrix4, FreshMatrixIsIdentityAndCopiesKeepEveryElement) {
    Matrix4 fresh;
    EXPECT_TRUE(sameBits(fresh, kIdentity));
    EXPECT_EQ(&fresh.at(2, 3), &fresh.m[11]);  // row-major: (i, j) is element 4i + j

    std::mt19937 rng(7);
    const Matrix4 a = randomMatrix(rng);
    Matrix4 b;
    b = a;
    EXPECT_TRUE(sameBits(a, b));
    b = Matrix4();  // assigning a fresh matrix is how a matrix is reset
    EXPECT_TRUE(sameBits(b, kIdentity));
}

TEST(Matrix4Multiply, ThisIsTheLeftOperand) {
    const Matrix4 a = matrixFromRows({1, 2, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    const Matrix4 b = matrixFromRows({1, 0, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1});
    EXPECT_TRUE(
        sameBits(a.multiply(b), matrixFromRows({7, 2, 0, 0, 3, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})));
    EXPECT_TRUE(
        sameBits(b.multiply(a), matrixFromRows({1, 2, 0, 0, 3, 7, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})));
}

TEST(Matrix4Multiply, IdentityOnEitherSideReturnsTheOtherOperandExactly) {
    std::mt19937 rng(11);
    for (int n = 0; n < 50; ++n) {
        const Matrix4 a = randomMatrix(rng);
        EXPECT_TRUE(sameBits(kIdentity.multiply(a), a));
        EXPECT_TRUE(sameBits(a.multiply(kIdentity), a));
    }
}

TEST(Matrix4Multiply, SumsTheFourProductsLeftToRight) {
    // Row (1e16, 1, -1e16, 1) against a column of ones: ((1e16 + 1) - 1e16) + 1
    // loses the first 1 and keeps the last; any other order gives 0 or 2.
    Matrix4 a;
    a.at(0, 0) = 1e16;
    a.at(0, 1) = 1;
    a.at(0, 2) = -1e16;
    a.at(0, 3) = 1;
    Matrix4 ones;
    for (int k = 0; k < 4; ++k) ones.at(k, 0) = 1;
    EXPECT_EQ(a.multiply(ones).at(0, 0), 1.0);
}

TEST(Matrix4Multiply, ResultMayBeAssignedBackToEitherOperand) {
    std::mt19937 rng(3);
    const Matrix4 a = randomMatrix(rng);
    const Matrix4 b = randomMatrix(rng);
    const Matrix4 expected = a.multiply(b);

    Matrix4 left = a;
    left = left.multiply(b);
    EXPECT_TRUE(sameBits(left, expected));

    Matrix4 right = b;
    right = a.multiply(right);
    EXPECT_TRUE(sameBits(right, expected));

    Matrix4 square = a;
    square = square.multiply(square);
    EXPECT_TRUE(sameBits(square, a.multiply(a)));

    // Neither operand changes.
    Matrix4 a2 = a, b2 = b;
    (void)a2.multiply(b2);
    EXPECT_TRUE(sameBits(a2, a));
    EXPECT_TRUE(sameBits(b2, b));
}

TEST(Matrix4Multiply, IsNotCommutative) {
    Matrix4 a;
    a.translate(1, 0, 0);
    Matrix4 b;
    b.rotateZ(90);
    const Vec4 p{1, 0, 0, 1};
    expectVec(a.multiply(b).transform(p), 1, 1, 0, 1, 1e-5f);
    expectVec(b.multiply(a).transform(p), 0, 2, 0, 1, 1e-5f);

    // Building in place post-multiplies: translate then rotateZ is A * B.
    Matrix4 built;
    built.translate(1, 0, 0);
    built.rotateZ(90);
    EXPECT_TRUE(sameBits(built, a.multiply(b)));
}

TEST(Matrix4Transform, TranslationMovesTheOriginAndLeavesDirections) {
    Matrix4 m;
    m.translate(0.1f, -2.5f, 3.75f);
    const Vec4 origin = m.transform(Vec4{0, 0, 0, 1});
    EXPECT_EQ(origin.x, 0.1f);
    EXPECT_EQ(origin.y, -2.5f);
    EXPECT_EQ(origin.z, 3.75f);
    EXPECT_EQ(origin.w, 1.0f);
    EXPECT_EQ(m.at(0, 3), static_cast<double>(0.1f));

    const Vec4 direction = m.transform(Vec4{1, 2, 3, 0});
    EXPECT_EQ(direction.x, 1.0f);
    EXPECT_EQ(direction.y, 2.0f);
    EXPECT_EQ(direction.z, 3.0f);
    EXPECT_EQ(direction.w, 0.0f);
}

TEST(Matrix4Transform, SumsInDoubleAndRoundsEachComponentOnce) {
    // 1 + 0.3 ulp + 0.3 ulp: rounded once the sum reaches the next float,
    // rounded after each step it stays at 1.
    const double third = 0.3 * std::ldexp(1.0, -23);
    Matrix4 m;
    m.at(0, 1) = third;
    m.at(0, 2) = third;
    m.at(3, 3) = 2.0;
    const Vec4 r = m.transform(Vec4{1, 1, 1, 0.5f});
    EXPECT_EQ(r.x, std::nextafter(1.0f, 2.0f));
    EXPECT_EQ(r.y, 1.0f);
    EXPECT_EQ(r.z, 1.0f);
    EXPECT_EQ(r.w, 1.0f);  // w goes through the matrix like the others
}

TEST(Matrix4Transform, DoesNotDivideByW) {
    Matrix4 m;
    m.perspective(0.5f, 0.5f, 1.0f, 3.0f);
    const Vec4 r = m.transform(Vec4{1, 1, -2, 1});
    EXPECT_EQ(r.x, 2.0f);
    EXPECT_EQ(r.y, 2.0f);
    EXPECT_EQ(r.w, 2.0f);
}

TEST(Matrix4Rotation, RightHandedAboutZAndX) {
    Matrix4 z;
    z.rotateZ(90);
    expectVec(z.transform(Vec4{1, 0, 0, 0}), 0, 1, 0, 0, 2e-6f);
    expectVec(z.transform(Vec4{0, 1, 0, 0}), -1, 0, 0, 0, 2e-6f);
    expectVec(z.transform(Vec4{0, 0, 1, 1}), 0, 0, 1, 1, 0);

    Matrix4 x;
    x.rotateX(90);
    const Vec4 y = x.transform(Vec4{0, 1, 0, 0});
    expectVec(y, 0, 0, 1, 0, 2e-6f);
    // Five-digit pi: the cosine of the float radian value is not 0.
    EXPECT_GT(y.y, 1e-6f);
    EXPECT_LT(y.y, 1.5e-6f);
    expectVec(x.transform(Vec4{0, 0, 1, 0}), 0, -1, 0, 0, 2e-6f);
    expectVec(x.transform(Vec4{1, 0, 0, 1}), 1, 0, 0, 1, 0);
}

TEST(Matrix4Rotation, LastOperationActsFirst) {
    Matrix4 m;
    m.rotateZ(90);
    m.rotateX(90);  // M = Rz * Rx: x rotation first, then z
    expectVec(m.transform(Vec4{0, 0, 1, 0}), 1, 0, 0, 0, 3e-6f);
    expectVec(m.transform(Vec4{1, 0, 0, 0}), 0, 1, 0, 0, 3e-6f);

    Matrix4 t;
    t.rotateZ(90);
    t.translate(1, 0, 0);
    expectVec(t.transform(Vec4{0, 0, 0, 1}), 0, 1, 0, 1, 2e-6f);
}

TEST(Matrix4Rotation, RadiansUseFiveDigitPiRoundedToFloat) {
    Matrix4 half;
    half.rotateZ(180);
    // float(3.14159) = 3.14159012; its sine is about 2.535e-6. With the
    // radian value kept in double it would be 2.654e-6, with full pi ~1e-16.
    EXPECT_GT(half.at(1, 0), 2.53e-6);
    EXPECT_LT(half.at(1, 0), 2.54e-6);
    EXPECT_EQ(half.at(0, 1), -half.at(1, 0));
    EXPECT_NEAR(half.at(0, 0), -1.0, 1e-11);
    EXPECT_EQ(half.at(1, 1), half.at(0, 0));

    const double radians = static_cast<float>(180.0 * 0.01745327777777778);
    EXPECT_EQ(half.at(1, 0), std::sin(radians));
    EXPECT_EQ(half.at(0, 0), std::cos(radians));

    Matrix4 halfX;
    halfX.rotateX(180);
    EXPECT_EQ(halfX.at(2, 1), half.at(1, 0));
    EXPECT_EQ(halfX.at(1, 2), -half.at(1, 0));

    Matrix4 full;
    full.rotateZ(360);
    EXPECT_FALSE(sameBits(full, kIdentity));
    EXPECT_LT(full.at(1, 0), -5e-6);
    EXPECT_GT(full.at(1, 0), -5.2e-6);
}

TEST(Matrix4Perspective, ElementsFromFloatParameters) {
    Matrix4 p;
    p.perspective(0.4f, 0.4f, 0.1f, 10.0f);
    const double n = 0.1f, f = 10.0f;
    EXPECT_EQ(p.at(0, 0), 1.0 / static_cast<double>(0.4f));
    EXPECT_EQ(p.at(1, 1), 1.0 / static_cast<double>(0.4f));
    EXPECT_EQ(p.at(2, 2), -((n + f) / (f - n)));
    EXPECT_EQ(p.at(2, 3), (n * f * (-2.0)) / (f - n));
    EXPECT_EQ(p.at(3, 2), -1.0);
    EXPECT_EQ(p.at(3, 3), 0.0);
    EXPECT_NEAR(p.at(0, 0), 2.5, 1e-7);
    EXPECT_NEAR(p.at(2, 2), -10.1 / 9.9, 1e-8);
    EXPECT_NEAR(p.at(2, 3), -2.0 / 9.9, 1e-8);
    // (0,0) of 1 / 0.4 in double would be exactly 2.5.
    EXPECT_NE(p.at(0, 0), 2.5);
    for (int k : {1, 2, 3, 4, 6, 7, 8, 9, 12, 13}) EXPECT_EQ(p.m[k], 0.0) << k;
    EXPECT_EQ(p.at(2, 0), 0.0);
    EXPECT_EQ(p.at(2, 1), 0.0);
}

TEST(Matrix4Perspective, NearAndFarPlanesMapToDepthMinusOneAndOne) {
    Matrix4 p;
    p.perspective(0.5f, 0.25f, 0.5f, 4.0f);
    const Vec4 nearPoint = p.transform(Vec4{0.25f, 0.125f, -0.5f, 1});
    EXPECT_FLOAT_EQ(nearPoint.z / nearPoint.w, -1.0f);
    EXPECT_FLOAT_EQ(nearPoint.x / nearPoint.w, 1.0f);  // on the right edge
    EXPECT_FLOAT_EQ(nearPoint.y / nearPoint.w, 1.0f);  // on the top edge
    const Vec4 farPoint = p.transform(Vec4{0, 0, -4, 1});
    EXPECT_FLOAT_EQ(farPoint.z / farPoint.w, 1.0f);
    EXPECT_EQ(farPoint.w, 4.0f);
}

TEST(Matrix4Perspective, PostMultipliesLikeTheOtherBuilders) {
    Matrix4 m;
    m.translate(0, 0, -3);
    m.perspective(1, 1, 1, 2);
    Matrix4 t;
    t.translate(0, 0, -3);
    Matrix4 p;
    p.perspective(1, 1, 1, 2);
    EXPECT_TRUE(sameBits(m, t.multiply(p)));
}

}  // namespace
