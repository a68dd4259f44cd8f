#include "transform/fit_entry.h"

#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

namespace {

int g_enter = 0, g_leave = 0;
const ReportLocale kCountingLocale = {[] { ++g_enter; }, [] { ++g_leave; }};

const char *kAffineSix = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
                         "5 5 1013.1 2011.3\n20 5 1042.5 2005\n";

struct Call {
    long result, count;
    double params[25];
    std::string report;
    std::vector<std::string> messages; // "flags caption: text"
    FitDeviations sd = {-1, -1};
};

// One fit with the points in a file; report "" writes none.
Call RunFit(const std::string &points, long type, long preset = -7,
            const std::string &report = "entry_report.txt") {
    Call c;
    c.count = preset;
    for (double &p : c.params)
        p = -1.0;
    const std::string cp = WriteTempFile("entry_points.txt", points);
    const std::string path = testing::TempDir() + report;
    std::remove(path.c_str());
    CapturedMessages().clear();
    g_enter = g_leave = 0;
    c.result =
        RunTransformFit(cp.c_str(), type, &c.count, c.params,
                        report.empty() ? nullptr : path.c_str(), true, kCountingLocale, &c.sd);
    c.report = ReadWholeFile(path);
    for (const CapturedMessage &m : CapturedMessages())
        c.messages.push_back(std::to_string(m.flags) + " " + m.caption + ": " + m.text);
    EXPECT_EQ(g_enter, g_leave);
    return c;
}

TEST(RunTransformFit, WritesTheReportOfTheFit) {
    Call c = RunFit(kAffineSix, 3);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.count, 6);
    EXPECT_NEAR(c.params[5], 3.0, 5e-7);
    EXPECT_EQ(c.params[6], -1.0);
    EXPECT_EQ(g_enter, 1);
    EXPECT_NEAR(c.sd.sdY, 0.441342, 5e-7);
    EXPECT_EQ(c.report, "Data points converted: 6\nResiduals:\nXRi YRi PointRMS\n"
                        "-0.139130 0.278261 0.311105\n-0.086957 0.173913 0.194441\n"
                        "-0.139130 0.278261 0.311105\n-0.086957 0.173913 0.194441\n"
                        "0.486957 -0.973913 1.088868\n-0.034783 0.069565 0.077776\n"
                        "Total RMS: 0.493435\nStandard deviation in x: 0.220671\n"
                        "Standard deviation in y: 0.441342\n");

    // Without a report path: coefficients and deviations only.
    c = RunFit(kAffineSix, 3, -7, "");
    EXPECT_EQ(c.result, 1);
    EXPECT_NEAR(c.sd.sdX, 0.220671, 5e-7);
    EXPECT_EQ(g_enter, 0);
    EXPECT_EQ(c.report, "");

    // Fewer points than coefficients: twenty copied, zero residuals.
    c = RunFit(kAffineSix, 6);
    EXPECT_EQ(c.count, 20);
    EXPECT_TRUE(c.params[19] != -1.0 && c.params[20] == -1.0);
    EXPECT_NE(c.report.find("0.000000 0.000000 0.000000\nTotal RMS: 0.000000\n"),
              std::string::npos);

    for (const long type : {0L, 7L}) { // no model: the preset count of zeros
        c = RunFit(kAffineSix, type, 3);
        EXPECT_TRUE(c.result == 1 && c.count == 3 && c.params[2] == 0.0 && c.params[3] == -1.0);
        EXPECT_NE(c.report.find("Total RMS: 0.000000\nStandard deviation in x: 0.000000\n"),
                  std::string::npos);
    }

    c = RunFit("", 3);
    EXPECT_TRUE(c.result == 1 && c.count == 6 && std::isnan(c.params[0]));
    EXPECT_EQ(c.report.substr(0, 25), "Data points converted: 0\n");
}

TEST(RunTransformFit, FailuresLeaveTheOutputsAsTheyWere) {
    Call c = RunFit("1 2 3 4\n1 2 3\n", 3);
    EXPECT_TRUE(c.result == 0 && c.count == -7 && c.params[0] == -1.0 && g_enter == 0);
    EXPECT_EQ(c.messages,
              std::vector<std::string>{
                  "0 ReadControlPoints: Error in line 2 of input data file: y_new not found"});

    // The read of six points makes five allocations; TX and TY come next.
    for (const char *array : {"TX", "TY"}) {
        FailWorkingAllocation(array[1] == 'X' ? 6 : 7);
        c = RunFit(kAffineSix, 3);
        FailWorkingAllocation(0);
        EXPECT_TRUE(c.result == 0 && c.count == -7 && c.params[0] == -1.0 && c.report.empty());
        EXPECT_EQ(c.messages,
                  std::vector<std::string>{"16 CalculateTransformParams: Out of memory: "
                                           "cannot allocate " +
                                           std::string(array) + " array."});
    }

    // A report that cannot be written: the coefficients are out already.
    c = RunFit(kAffineSix, 3, -7, "no_such_dir/report.txt");
    EXPECT_TRUE(c.result == 0 && c.count == 6 && g_leave == 1);
    EXPECT_NEAR(c.params[2], 1.994783, 5e-7);
    EXPECT_EQ(c.messages,
              (std::vector<std::string>{"16 WriteResiduals: Cannot create residuals file.",
                                        "16 CalculateTransformParams: Cannot create file to store "
                                        "residuals"}));
}

} // namespace
