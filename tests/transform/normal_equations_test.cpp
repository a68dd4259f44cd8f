#include "transform/normal_equations.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

// Matrices are stored column by column: {a11, a21, a12, a22}.
TEST(NormalEquations, SmallExactCases) {
    const long two = 2, three = 3;
    double N[4] = {2, 1, 5, 3}; // rows (2, 5) and (1, 3)
    EXPECT_EQ(InvertMatrix(&two, N), 0);
    EXPECT_TRUE(N[0] == 3 && N[1] == -1 && N[2] == -5 && N[3] == 2);

    double singular[4] = {0, 1, 1, 0}; // zero first pivot, no interchange
    InvertMatrix(&two, singular);
    EXPECT_TRUE(std::isnan(singular[0]) && std::isnan(singular[1]) && std::isnan(singular[2]));
    EXPECT_TRUE(singular[3] == 0.0 && std::signbit(singular[3]));

    const double A[9] = {1, 4, 7, 2, 5, 8, 3, 6, 9}; // rows (1, 2, 3), (4, 5, 6), (7, 8, 9)
    const double x[3] = {1, 10, 100};
    double y[3] = {0.5, 0.5, 0.5};
    EXPECT_EQ(MultiplyMatrixVector(y, A, x, &three), 0);
    EXPECT_TRUE(y[0] == 321.5 && y[1] == 654.5 && y[2] == 987.5);

    double sum[9] = {1, 0, 0, 0, 0, 0, 0, 0, 0};
    const double a[3] = {1, 2, 3};
    EXPECT_EQ(AddToNormalMatrix(sum, a, &three), 0);
    const double expected[9] = {2, 2, 3, 2, 4, 6, 3, 6, 9};
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(sum[i], expected[i]) << i;

    for (const long m : {0L, -1L}) { // nothing to do
        AddToNormalMatrix(N, a, &m);
        InvertMatrix(&m, N);
        MultiplyMatrixVector(y, N, a, &m);
    }
    EXPECT_TRUE(N[0] == 3 && N[3] == 2 && y[0] == 321.5);
}

TEST(NormalEquations, InverseOfAGeneralSystem) {
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

} // namespace
