#include <gtest/gtest.h>

#include "math/transform_stack.h"
#include "matrix_testing.h"

namespace {

const Matrix4 kIdentity;

void expectSameVec(const Vec4& a, const Vec4& b) {
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z);
    EXPECT_EQ(a.w, b.w);
}

TEST(TransformStack, FreshStackIsIdentityBothWays) {
    const TransformStack stack;
    EXPECT_TRUE(sameBits(stack.matrix, kIdentity));
    EXPECT_TRUE(sameBits(stack.inverse, kIdentity));
    EXPECT_TRUE(stack.saved.empty());
    EXPECT_EQ(stack.saved.capacity(), 0u);
    const Vec4 p{0.1f, -7.25f, 3e-20f, 0.5f};
    expectSameVec(stack.transform(p), p);
    expectSameVec(stack.inverseTransform(p), p);
}

TEST(TransformStack, PushTranslatePopRestoresExactly) {
    TransformStack stack;
    stack.matrix.rotateZ(33);
    const Matrix4 before = stack.matrix;
    stack.pushMatrix();
    ASSERT_EQ(stack.saved.size(), 1u);
    EXPECT_TRUE(sameBits(stack.saved.back(), before));
    stack.matrix.translate(1, 2, 3);
    EXPECT_FALSE(sameBits(stack.matrix, before));
    stack.popMatrix();
    EXPECT_TRUE(sameBits(stack.matrix, before));
    EXPECT_TRUE(stack.saved.empty());
}

TEST(TransformStack, PopsRestoreInReverseOrderOfSaving) {
    TransformStack stack;
    stack.matrix.translate(1, 0, 0);
    const Matrix4 first = stack.matrix;
    stack.pushMatrix();
    stack.matrix.rotateX(45);
    const Matrix4 second = stack.matrix;
    stack.pushMatrix();
    stack.matrix.translate(0, 0, -9);

    stack.popMatrix();
    EXPECT_TRUE(sameBits(stack.matrix, second));
    EXPECT_EQ(stack.saved.size(), 1u);
    stack.popMatrix();
    EXPECT_TRUE(sameBits(stack.matrix, first));
    EXPECT_TRUE(stack.saved.empty());
}

TEST(TransformStack, LoadIdentityDropsSavedMatricesAndTheirStorage) {
    TransformStack stack;
    for (int k = 0; k < 5; ++k) {
        stack.matrix.translate(1, 1, 1);
        stack.pushMatrix();
    }
    stack.inverse.translate(4, 4, 4);
    const Matrix4 inverse = stack.inverse;
    stack.loadIdentity();
    EXPECT_TRUE(sameBits(stack.matrix, kIdentity));
    EXPECT_TRUE(stack.saved.empty());
    EXPECT_EQ(stack.saved.capacity(), 0u);
    EXPECT_TRUE(sameBits(stack.inverse, inverse));  // not touched

    // Nothing left to restore: popping now keeps the identity.
    stack.popMatrix();
    EXPECT_TRUE(sameBits(stack.matrix, kIdentity));
}

TEST(TransformStack, PopOnEmptyStackLeavesMatrixUnchanged) {
    TransformStack stack;
    stack.matrix.rotateZ(10);
    stack.matrix.translate(0.5f, 0.25f, -1);
    const Matrix4 before = stack.matrix;
    stack.popMatrix();
    stack.popMatrix();
    EXPECT_TRUE(sameBits(stack.matrix, before));
    EXPECT_TRUE(stack.saved.empty());

    // A matched push and pop still work afterwards.
    stack.pushMatrix();
    stack.matrix.translate(9, 9, 9);
    stack.popMatrix();
    EXPECT_TRUE(sameBits(stack.matrix, before));
}

TEST(TransformStack, InverseIsStaleUntilExplicitlyInverted) {
    TransformStack stack;
    stack.matrix.translate(0, 0, -3);
    const Vec4 p{1, 2, 3, 1};
    expectSameVec(stack.inverseTransform(p), p);  // still the old identity
    expectSameVec(stack.transform(p), Vec4{1, 2, 0, 1});

    EXPECT_EQ(stack.matrix.invert(stack.inverse), 1);
    expectSameVec(stack.inverseTransform(stack.transform(p)), p);

    // Pop and loadIdentity leave the computed inverse alone as well.
    stack.pushMatrix();
    stack.matrix.translate(5, 0, 0);
    stack.popMatrix();
    stack.loadIdentity();
    expectSameVec(stack.inverseTransform(Vec4{0, 0, 0, 1}), Vec4{0, 0, 3, 1});
}

TEST(TransformStack, TransformUsesTheCurrentMatrix) {
    TransformStack stack;
    stack.matrix.translate(0.5f, -0.5f, 0);
    const Vec4 p{0, 0, 0.5f, 1};
    expectSameVec(stack.transform(p), stack.matrix.transform(p));
    expectSameVec(stack.transform(p), Vec4{0.5f, -0.5f, 0.5f, 1});
}

}  // namespace
