// Compares invert with a deliberately plain, loop-based Gauss-Jordan written
// from the algorithm's description (rows physically exchanged, one generic
// loop per stage), bit for bit, on many matrices chosen to hit row
// exchanges, ties, zero entries, tiny pivots and non-finite values.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>

#include "math/matrix4.h"
#include "matrix_testing.h"

namespace {

int referenceInvert(const Matrix4& source, Matrix4& destination) {
    double w[4][8];
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            w[i][j] = source.at(i, j);
            w[i][j + 4] = (i == j) ? 1.0 : 0.0;
        }
    }
    auto exchange = [&w](int a, int b) {
        for (int j = 0; j < 8; ++j) std::swap(w[a][j], w[b][j]);
    };

    for (int c = 0; c < 3; ++c) {
        // Bubble the largest magnitude up from the bottom; strict, so ties
        // and NaNs stay where they are.
        for (int k = 3; k > c; --k) {
            if (std::fabs(w[k][c]) > std::fabs(w[k - 1][c])) exchange(k, k - 1);
        }
        if (w[c][c] == 0.0) return 0;
        if (c < 2) {
            const double s = 1.0 / w[c][c];
            double m[4];
            for (int k = c + 1; k < 4; ++k) m[k] = s * w[k][c];
            for (int j = c + 1; j < 8; ++j) {
                if (j >= 4 && w[c][j] == 0.0) continue;
                for (int k = c + 1; k < 4; ++k) w[k][j] -= m[k] * w[c][j];
            }
        } else {
            const double m = w[3][2] / w[2][2];
            for (int j = 3; j < 8; ++j) w[3][j] -= m * w[2][j];
        }
    }
    if (w[3][3] == 0.0) return 0;

    // Back substitution: each row subtracts the finished rows below it from
    // the bottom up, the last of these fused with the scaling by its pivot.
    for (int q = 3; q >= 0; --q) {
        for (int r = 3; r > q + 1; --r) {
            const double m = w[q][r];
            for (int j = 4; j < 8; ++j) w[q][j] -= m * w[r][j];
        }
        const double s = 1.0 / w[q][q];
        if (q == 3) {
            for (int j = 4; j < 8; ++j) w[q][j] = w[q][j] * s;
        } else {
            const double m = w[q][q + 1];
            for (int j = 4; j < 8; ++j) w[q][j] = (w[q][j] - m * w[q + 1][j]) * s;
        }
    }
    for (int i = 0; i < 4; ++i)
        for (int j = 0; j < 4; ++j) destination.at(i, j) = w[i][j + 4];
    return 1;
}

::testing::AssertionResult sameBitsOrBothNaN(const Matrix4& a, const Matrix4& b) {
    for (int k = 0; k < 16; ++k) {
        if (std::isnan(a.m[k]) && std::isnan(b.m[k])) continue;
        if (std::memcmp(&a.m[k], &b.m[k], sizeof(double)) != 0) {
            return ::testing::AssertionFailure()
                   << "element " << k << ": " << a.m[k] << " vs " << b.m[k];
        }
    }
    return ::testing::AssertionSuccess();
}

// Entries drawn from a mix of kinds, so that exact ties, zeros and exact
// cancellations are common.
double randomEntry(std::mt19937& rng, int mix) {
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_real_distribution<double> value(-3.0, 3.0);
    std::uniform_int_distribution<int> small(-3, 3);
    switch (mix) {
        case 0:
            return value(rng);
        case 1:  // small integers and halves: ties in magnitude, exact zeros
            return small(rng) * 0.5;
        case 2: {  // mostly zero
            const int k = kind(rng);
            return k < 6 ? 0.0 : (k < 8 ? small(rng) : value(rng));
        }
        case 3: {  // widely spread magnitudes, including subnormal
            const int k = kind(rng);
            if (k == 0) return 4.9e-324 * small(rng);
            if (k == 1) return 1e-300 * value(rng);
            if (k == 2) return 1e300 * value(rng);
            return value(rng) * std::ldexp(1.0, small(rng) * 10);
        }
        default: {  // occasional non-finite values
            const int k = kind(rng);
            if (k == 0) return std::nan("");
            if (k == 1) return small(rng) < 0 ? -INFINITY : INFINITY;
            return small(rng) * 0.25;
        }
    }
}

TEST(InvertReference, MatchesBitForBitOnVariedMatrices) {
    std::mt19937 rng(1234567);
    int succeeded = 0, failed = 0;
    for (int n = 0; n < 50000; ++n) {
        const int mix = n % 5;
        Matrix4 m;
        for (double& e : m.m) e = randomEntry(rng, mix);

        Matrix4 expected;
        for (int k = 0; k < 16; ++k) expected.m[k] = -1000.0 - k;
        Matrix4 actual = expected;
        const int expectedResult = referenceInvert(m, expected);
        const int actualResult = m.invert(actual);
        ASSERT_EQ(actualResult, expectedResult) << "matrix " << n;
        ASSERT_TRUE(sameBitsOrBothNaN(actual, expected)) << "matrix " << n;
        (actualResult ? succeeded : failed) += 1;
    }
    // The mixes must exercise both outcomes substantially.
    EXPECT_GT(succeeded, 20000);
    EXPECT_GT(failed, 2000);
}

TEST(InvertReference, MatchesOnFixedCases) {
    const Matrix4 cases[] = {
        matrixFromRows({0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0, 1, 0}),
        matrixFromRows({1, 2, 3, 4, -1, 2, -3, 4, 1, -2, 3, -4, -1, -2, -3, 4}),
        matrixFromRows(
            {0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9, 1.0, 1.1, 1.3, 1.7, 1.9, 2.3, 2.9}),
        matrixFromRows({1e-310, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}),
    };
    for (const Matrix4& m : cases) {
        Matrix4 expected, actual;
        ASSERT_EQ(m.invert(actual), referenceInvert(m, expected));
        EXPECT_TRUE(sameBitsOrBothNaN(actual, expected));
    }
}

}  // namespace
