#include "gl/matrix_handover.h"

#include <gtest/gtest.h>

namespace {

TEST(MatrixHandover, IdentityStaysIdentity) {
    float out[16];
    toColumnMajorFloats(Matrix4(), out);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(out[i], (i % 5 == 0) ? 1.0f : 0.0f) << i;
}

TEST(MatrixHandover, TranslationLandsInElementsTwelveToFourteen) {
    Matrix4 m;
    m.translate(1.5f, -2.0f, 3.25f);
    float out[16];
    toColumnMajorFloats(m, out);
    EXPECT_EQ(out[12], 1.5f);
    EXPECT_EQ(out[13], -2.0f);
    EXPECT_EQ(out[14], 3.25f);
    EXPECT_EQ(out[15], 1.0f);
    EXPECT_EQ(out[3], 0.0f);
    EXPECT_EQ(out[7], 0.0f);
    EXPECT_EQ(out[11], 0.0f);
}

TEST(MatrixHandover, EveryElementMovesToColumnMajorPlace) {
    Matrix4 m;
    for (int i = 0; i < 16; ++i) m.m[i] = 100.0 + i;  // row-major: (r, c) = 100 + 4r + c
    float out[16];
    toColumnMajorFloats(m, out);
    for (int column = 0; column < 4; ++column) {
        for (int row = 0; row < 4; ++row) {
            EXPECT_EQ(out[4 * column + row], 100.0f + 4 * row + column) << row << "," << column;
        }
    }
}

TEST(MatrixHandover, PerspectiveKeepsItsMinusOneInTheLastRow) {
    Matrix4 m;
    m.perspective(0.4f, 0.4f, 0.1f, 10.0f);
    float out[16];
    toColumnMajorFloats(m, out);
    EXPECT_EQ(out[11], -1.0f);  // (3, 2)
    EXPECT_EQ(out[15], 0.0f);   // (3, 3)
    EXPECT_EQ(out[14], static_cast<float>(m.at(2, 3)));
    EXPECT_EQ(out[10], static_cast<float>(m.at(2, 2)));
}

TEST(MatrixHandover, RoundsEachDoubleToNearestFloat) {
    Matrix4 m;
    m.at(0, 1) = 0.1;  // not a float
    m.at(2, 0) = 1.0 / 3.0;
    float out[16];
    toColumnMajorFloats(m, out);
    EXPECT_EQ(out[4], 0.1f);
    EXPECT_EQ(out[2], 1.0f / 3.0f);
}

}  // namespace
