#include "transform/normal_equations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

TEST(InvertMatrix, InvertsTwoByTwo) {
    double N[4] = {4, 2, 2, 3};
    const long m = 2;
    EXPECT_EQ(InvertMatrix(&m, N), 0);
    EXPECT_DOUBLE_EQ(N[0], 0.375);
    EXPECT_DOUBLE_EQ(N[1], -0.25);
    EXPECT_DOUBLE_EQ(N[2], -0.25);
    EXPECT_DOUBLE_EQ(N[3], 0.5);
}

TEST(InvertMatrix, IsTheTrueInverseOfAColumnMajorMatrix) {
    // Rows (2, 5) and (1, 3), stored by columns.
    double N[4] = {2, 1, 5, 3};
    const long m = 2;
    InvertMatrix(&m, N);
    EXPECT_EQ(N[0], 3.0);
    EXPECT_EQ(N[1], -1.0);
    EXPECT_EQ(N[2], -5.0);
    EXPECT_EQ(N[3], 2.0);
}

TEST(InvertMatrix, ZeroPivotGivesNaNsWithoutInterchange) {
    double N[4] = {0, 1, 1, 0};
    const long m = 2;
    EXPECT_EQ(InvertMatrix(&m, N), 0);
    EXPECT_TRUE(std::isnan(N[0]));
    EXPECT_TRUE(std::isnan(N[1]));
    EXPECT_TRUE(std::isnan(N[2]));
    EXPECT_EQ(N[3], 0.0);
    EXPECT_TRUE(std::signbit(N[3]));
}

TEST(InvertMatrix, InverseTimesMatrixIsIdentityForAGeneralSystem) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> value(-1, 1);
    const long m = 6;
    double A[36], N[36];
    for (int i = 0; i < 36; ++i)
        A[i] = N[i] = value(random) + (i % 7 == 0 ? 4 : 0);
    InvertMatrix(&m, N);
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j) {
            double s = 0;
            for (int k = 0; k < m; ++k)
                s += A[i + k * m] * N[k + j * m];
            EXPECT_NEAR(s, i == j ? 1.0 : 0.0, 1e-12) << i << "," << j;
        }
}

TEST(MultiplyMatrixVector, AddsTheProductOntoY) {
    // Rows (1, 2, 3), (4, 5, 6), (7, 8, 9), stored by columns.
    const double A[9] = {1, 4, 7, 2, 5, 8, 3, 6, 9};
    const double x[3] = {1, 10, 100};
    double y[3] = {0.5, 0.5, 0.5};
    const long m = 3;
    EXPECT_EQ(MultiplyMatrixVector(y, A, x, &m), 0);
    EXPECT_EQ(y[0], 321.5);
    EXPECT_EQ(y[1], 654.5);
    EXPECT_EQ(y[2], 987.5);
}

TEST(AddToNormalMatrix, AddsTheOuterProduct) {
    double N[9] = {};
    const double a[3] = {1, 2, 3};
    const long m = 3;
    EXPECT_EQ(AddToNormalMatrix(N, a, &m), 0);
    const double expected[9] = {1, 2, 3, 2, 4, 6, 3, 6, 9};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(N[i], expected[i]) << i;
}

TEST(AddToNormalMatrix, KeepsBothTrianglesBitIdentical) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> value(-1e3, 1e3);
    const long m = 20;
    double N[400] = {};
    double a[20];
    for (int row = 0; row < 500; ++row) {
        for (double &v : a)
            v = value(random);
        AddToNormalMatrix(N, a, &m);
    }
    for (int i = 0; i < m; ++i)
        for (int j = 0; j < m; ++j)
            ASSERT_EQ(N[i + j * m], N[j + i * m]);
}

TEST(NormalEquations, DimensionBelowOneTouchesNothing) {
    for (const long m : {0L, -1L}) {
        double N[4] = {1, 2, 3, 4};
        double y[2] = {5, 6};
        const double a[2] = {7, 8};
        AddToNormalMatrix(N, a, &m);
        InvertMatrix(&m, N);
        MultiplyMatrixVector(y, N, a, &m);
        EXPECT_EQ(N[0], 1.0);
        EXPECT_EQ(N[3], 4.0);
        EXPECT_EQ(y[0], 5.0);
        EXPECT_EQ(y[1], 6.0);
    }
}

} // namespace
