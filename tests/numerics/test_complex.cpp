#include <gtest/gtest.h>

#include <cmath>

#include "numerics/CComplex.h"

using kv::CComplex;

namespace {

void ExpectExact(CComplex actual, double re, double im) {
    EXPECT_EQ(actual.re, re);
    EXPECT_EQ(actual.im, im);
}

}  // namespace

TEST(Complex, DivisionByExactZeroReturnsTheDividend) {
    ExpectExact(CComplex::Divide({3, 4}, {0, 0}), 3, 4);
    ExpectExact(CComplex(3, 4) / CComplex(0, 0), 3, 4);
    ExpectExact(CComplex::Divide({1, 0}, {0, 1}), 0, -1);
    // (1 + 2j) / (3 - 4j) = (-5 + 10j) / 25
    const CComplex q = CComplex::Divide({1, 2}, {3, -4});
    EXPECT_DOUBLE_EQ(q.re, -0.2);
    EXPECT_DOUBLE_EQ(q.im, 0.4);
}

TEST(Complex, ArithmeticAndMagnitude) {
    ExpectExact(CComplex::Multiply({1, 2}, {3, 4}), -5, 10);
    ExpectExact(CComplex::Add({1, 2}, {3, 4}), 4, 6);
    ExpectExact(CComplex(1, 2) - CComplex(3, 5), -2, -3);
    EXPECT_EQ(CComplex(3, 4).Magnitude(), 5.0);
    EXPECT_EQ(CComplex::Abs({-3, -4}), 5.0);
}

TEST(Complex, ArgAnglesUseTheProgramsConstants) {
    EXPECT_EQ(CComplex::Arg({0, -1}), -kv::kHalfPi);
    EXPECT_EQ(CComplex::Arg({0, 1}), kv::kHalfPi);
    EXPECT_EQ(CComplex::Arg({0, 0}), kv::kHalfPi);
    EXPECT_EQ(CComplex::Arg({-1, 0}), 3.14159265358979);
    EXPECT_EQ(CComplex::Arg({-1, -0.0}), 3.14159265358979);
    EXPECT_EQ(CComplex::Arg({-1, -1e-300}), std::atan(1e-300) - 3.14159265358979);
    EXPECT_DOUBLE_EQ(CComplex::Arg({1, 1}), std::atan(1.0));
    // The constants are the program's 15-digit values, not the nearest doubles to pi.
    EXPECT_NE(kv::kPi, M_PI);
    EXPECT_EQ(kv::kTwoPi, 6.28318530717958);
    EXPECT_EQ(kv::kHalfPi, 1.570796326794895);
}

TEST(Complex, SqrtAndPow) {
    const CComplex r = CComplex::Sqrt({-4, 0});
    EXPECT_NEAR(r.re, 0.0, 1e-14);
    EXPECT_DOUBLE_EQ(r.im, 2.0);
    // cos of half the program's pi: a tiny positive real part, not exactly zero.
    EXPECT_EQ(r.re, 2.0 * std::cos(3.14159265358979 * 0.5));
    ExpectExact(CComplex::Sqrt({0, 0}), 0, 0);
    const CComplex p = CComplex::Pow({0, 0}, 2.0);
    EXPECT_EQ(p.re, 0.0);
    EXPECT_EQ(std::fabs(p.im), 0.0);
    const CComplex j2 = CComplex::Pow({0, 1}, 2.0);  // j^2 = -1
    EXPECT_DOUBLE_EQ(j2.re, -1.0);
    EXPECT_NEAR(j2.im, 0.0, 1e-14);
    // Exponent 0 gives 1 for any nonzero base.
    const CComplex one = CComplex::Pow({0, 7}, 0.0);
    EXPECT_EQ(one.re, 1.0);
    EXPECT_EQ(one.im, 0.0);
}

TEST(Complex, ReducedSineAndCosine) {
    EXPECT_NEAR(kv::SinReduced(2 * 6.28318530717958 + 0.5), std::sin(0.5), 1e-15);
    EXPECT_EQ(kv::CosReduced(-7.0), std::cos(-7.0 + 6.28318530717958));
    // fmod keeps the sign of x.
    EXPECT_EQ(kv::SinReduced(-7.0), std::sin(-7.0 + 6.28318530717958));
}

TEST(ComplexInvert, RejectsOrdersOutsideOneToFour) {
    CComplex m[25];
    CComplex out[25];
    EXPECT_EQ(CComplex::Invert(m, out, 0), -1);
    EXPECT_EQ(CComplex::Invert(m, out, 5), -1);
}

TEST(ComplexInvert, OneByOne) {
    const CComplex m[1] = {{0, 2}};
    CComplex out[1];
    ASSERT_EQ(CComplex::Invert(m, out, 1), 0);
    ExpectExact(out[0], 0, -0.5);
}

TEST(ComplexInvert, SingularMatrixLeavesTargetUntouched) {
    const CComplex m[4] = {{1, 0}, {2, 0}, {2, 0}, {4, 0}};
    CComplex out[4] = {{7, 7}, {7, 7}, {7, 7}, {7, 7}};
    EXPECT_EQ(CComplex::Invert(m, out, 2), -1);
    for (const auto& v : out) {
        ExpectExact(v, 7, 7);
    }
}

TEST(ComplexInvert, ZeroLeadingEntryExchangesRows) {
    const CComplex m[4] = {{0, 0}, {1, 0}, {1, 0}, {0, 0}};
    CComplex out[4];
    ASSERT_EQ(CComplex::Invert(m, out, 2), 0);
    ExpectExact(out[0], 0, 0);
    ExpectExact(out[1], 1, 0);
    ExpectExact(out[2], 1, 0);
    ExpectExact(out[3], 0, 0);
}

TEST(ComplexInvert, RowExchangesKeepTheInverseInOrder) {
    // Column 0 holds magnitudes 1, 2, 2: rows 1 and 2 tie, and row 2 (the lower) becomes the
    // pivot. Whatever the exchanges, the inverse must come back in the original row order.
    const CComplex m[9] = {{1, 0}, {0, 0}, {0, 0}, {2, 0}, {1, 0}, {0, 0}, {-2, 0}, {0, 0}, {1, 0}};
    CComplex inv[9];
    ASSERT_EQ(CComplex::Invert(m, inv, 3), 0);
    CComplex p[9];
    ASSERT_EQ(CComplex::MatrixProduct(m, 3, 3, inv, 3, 3, p), 0);
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(p[r * 3 + c].re, r == c ? 1.0 : 0.0, 1e-15);
            EXPECT_NEAR(p[r * 3 + c].im, 0.0, 1e-15);
        }
    }
    // Hand-computed inverse of the lower-triangular matrix.
    ExpectExact(inv[0], 1, 0);
    ExpectExact(inv[3], -2, 0);
    ExpectExact(inv[6], 2, 0);
}

TEST(ComplexInvert, ComplexThreeByThreeSolvesASystem) {
    const CComplex a[9] = {{2, 1}, {1, 0}, {0, -1}, {1, 1}, {3, 0},
                           {1, 2}, {0, 1}, {2, -1}, {4, 0}};
    const CComplex x[3] = {{1, -1}, {0.5, 2}, {-3, 0.25}};
    CComplex b[3];
    ASSERT_EQ(CComplex::MatrixProduct(a, 3, 3, x, 3, 1, b), 0);
    CComplex inv[9];
    ASSERT_EQ(CComplex::Invert(a, inv, 3), 0);
    CComplex solved[3];
    ASSERT_EQ(CComplex::MatrixProduct(inv, 3, 3, b, 3, 1, solved), 0);
    for (int i = 0; i < 3; ++i) {
        EXPECT_NEAR(solved[i].re, x[i].re, 1e-13);
        EXPECT_NEAR(solved[i].im, x[i].im, 1e-13);
    }
}

TEST(ComplexMatrixProduct, FirstFactorMustBeSquare) {
    const CComplex a[6] = {};
    const CComplex b[2] = {};
    CComplex p[3] = {{5, 5}, {5, 5}, {5, 5}};
    EXPECT_EQ(CComplex::MatrixProduct(a, 3, 2, b, 2, 1, p), -1);
    ExpectExact(p[0], 5, 5);
}

TEST(ComplexMatrixProduct, AccumulatesInOrder) {
    // [[1, j], [2, 0]] x [[1], [j]] = [[1 + j*j], [2]] = [[0], [2]]
    const CComplex a[4] = {{1, 0}, {0, 1}, {2, 0}, {0, 0}};
    const CComplex b[2] = {{1, 0}, {0, 1}};
    CComplex p[2];
    ASSERT_EQ(CComplex::MatrixProduct(a, 2, 2, b, 2, 1, p), 0);
    ExpectExact(p[0], 0, 0);
    ExpectExact(p[1], 2, 0);
}
