// CalculateTransformParams through the built DLL, bound by its exported name
// as the host binds it, and through ortkcall.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

using CalculateTransformParamsFn = long(__cdecl *)(HWND, const char *, long, long *, double *,
                                                   const char *, long);

TEST(DllTransform, FitsTheSixPointAffineExample) {
    const auto calculate = LibraryExport<CalculateTransformParamsFn>("CalculateTransformParams");
    ASSERT_NE(calculate, nullptr);
    const char *points = "dll_transform_points.txt";
    FILE *file = std::fopen(points, "wb");
    ASSERT_NE(file, nullptr);
    std::fputs("0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
               "5 5 1013.1 2011.3\n20 5 1042.5 2005\n",
               file);
    std::fclose(file);
    long count = 0;
    double params[21] = {};
    EXPECT_EQ(calculate(nullptr, points, 3, &count, params, "dll_transform_report.txt", 0), 1);
    EXPECT_EQ(count, 6);
    EXPECT_NEAR(params[1], 1999.721739, 5e-7);
    EXPECT_NEAR(params[3], -0.489565, 5e-7);

    const std::string output = RunOrtkcall("calculatetransformparams dll_transform_points.txt 3 "
                                           "dll_transform_report2.txt 0");
    char expected[64];
    std::snprintf(expected, sizeof expected, "params[3]=%.17g\n", params[3]);
    EXPECT_NE(output.find("result=1\nparamCount=6\n"), std::string::npos) << output;
    EXPECT_NE(output.find(expected), std::string::npos) << output;
}

} // namespace
