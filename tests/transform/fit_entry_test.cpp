#include "transform/fit_entry.h"

#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

int g_enter = 0, g_leave = 0;
void Enter() {
    ++g_enter;
}
void Leave() {
    ++g_leave;
}
const ReportLocale kCountingLocale = {Enter, Leave};

const char *kAffineSix = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
                         "5 5 1013.1 2011.3\n20 5 1042.5 2005\n";

struct Call {
    long result;
    long count;
    double params[25];
    std::string report;
    std::vector<CapturedMessage> messages;
};

Call RunFitCall(const std::string &points, long type, long preset = -7,
                const std::string &reportName = "entry_report.txt") {
    Call c;
    c.count = preset;
    for (double &p : c.params)
        p = -1.0;
    const std::string cp = WriteTempFile("entry_points.txt", points);
    const std::string report = testing::TempDir() + reportName;
    std::remove(report.c_str());
    CapturedMessages().clear();
    g_enter = g_leave = 0;
    c.result = RunTransformFit(cp.c_str(), type, &c.count, c.params, report.c_str(), true,
                               kCountingLocale, nullptr);
    c.report = ReadWholeFile(report);
    c.messages = CapturedMessages();
    return c;
}

TEST(RunTransformFit, AffineSixPointReport) {
    const Call c = RunFitCall(kAffineSix, 3);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.count, 6);
    EXPECT_NEAR(c.params[0], 1000.139130, 5e-7);
    EXPECT_EQ(c.params[6], -1.0);
    EXPECT_EQ(g_enter, 1);
    EXPECT_EQ(g_leave, 1);
    const std::string lines = "Data points converted: 6\nResiduals:\nXRi YRi PointRMS\n"
                              "-0.139130 0.278261 0.311105\n"
                              "-0.086957 0.173913 0.194441\n"
                              "-0.139130 0.278261 0.311105\n"
                              "-0.086957 0.173913 0.194441\n"
                              "0.486957 -0.973913 1.088868\n"
                              "-0.034783 0.069565 0.077776\n"
                              "Total RMS: ";
    EXPECT_EQ(c.report.substr(0, lines.size()), lines);
    const std::size_t sd = c.report.find("Standard deviation in x: ");
    ASSERT_NE(sd, std::string::npos);
    EXPECT_EQ(c.report.substr(sd), "Standard deviation in x: 0.220671\n"
                                   "Standard deviation in y: 0.441342\n");
    // sqrt((sdX^2 + sdY^2)) for this data: the total line is the RMS length.
    EXPECT_NE(c.report.find("Total RMS: 0.493435\n"), std::string::npos);
}

TEST(RunTransformFit, PolynomialWithFewPointsCopiesTwentyAndReportsZeros) {
    const Call c = RunFitCall(kAffineSix, 6);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.count, 20);
    EXPECT_NE(c.params[19], -1.0);
    EXPECT_EQ(c.params[20], -1.0);
    EXPECT_NE(c.report.find("0.000000 0.000000 0.000000\n"), std::string::npos);
    EXPECT_NE(c.report.find("Standard deviation in y: 0.000000\n"), std::string::npos);
}

TEST(RunTransformFit, TypeOutsideTheRangeCopiesPresetCountOfZeros) {
    for (const long type : {0L, 7L, -1L}) {
        const Call c = RunFitCall(kAffineSix, type, 3);
        EXPECT_EQ(c.result, 1);
        EXPECT_EQ(c.count, 3);
        EXPECT_EQ(c.params[0], 0.0);
        EXPECT_EQ(c.params[2], 0.0);
        EXPECT_EQ(c.params[3], -1.0);
        EXPECT_NE(c.report.find("Data points converted: 6\n"), std::string::npos);
        EXPECT_NE(c.report.find("Total RMS: 0.000000\n"), std::string::npos);
    }
}

TEST(RunTransformFit, EmptyFileGivesNaNCoefficientsAndAReport) {
    const Call c = RunFitCall("", 3);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.count, 6);
    EXPECT_TRUE(std::isnan(c.params[0]));
    EXPECT_EQ(c.report.substr(0, 25), "Data points converted: 0\n");
}

TEST(RunTransformFit, ReaderFailureLeavesOutputsUntouched) {
    const Call c = RunFitCall("1 2 3 4\n1 2 3\n", 3);
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.count, -7);
    EXPECT_EQ(c.params[0], -1.0);
    EXPECT_EQ(g_enter, 0);
    ASSERT_EQ(c.messages.size(), 1u);
    EXPECT_EQ(c.messages[0].text, "Error in line 2 of input data file: y_new not found");
}

TEST(RunTransformFit, ReportFailureShowsBothMessagesAfterCopying) {
    const Call c = RunFitCall(kAffineSix, 3, -7, "no_such_dir/report.txt");
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.count, 6);
    EXPECT_NEAR(c.params[2], 1.994783, 5e-7);
    EXPECT_EQ(g_leave, 1);
    ASSERT_EQ(c.messages.size(), 2u);
    EXPECT_EQ(c.messages[0].text, "Cannot create residuals file.");
    EXPECT_EQ(c.messages[0].caption, "WriteResiduals");
    EXPECT_EQ(c.messages[1].text, "Cannot create file to store residuals");
    EXPECT_EQ(c.messages[1].caption, "CalculateTransformParams");
    EXPECT_EQ(c.messages[1].flags, 0x10u);
}

// The read of six points makes five allocations (one block, four arrays);
// TX and TY are the sixth and seventh.
TEST(RunTransformFit, ResidualArrayAllocationFailures) {
    const char *expected[2] = {"Out of memory: cannot allocate TX array.",
                               "Out of memory: cannot allocate TY array."};
    for (int k = 0; k < 2; ++k) {
        FailWorkingAllocation(6 + k);
        const Call c = RunFitCall(kAffineSix, 3);
        FailWorkingAllocation(0);
        EXPECT_EQ(c.result, 0);
        EXPECT_EQ(c.count, -7);
        EXPECT_EQ(c.params[0], -1.0);
        EXPECT_TRUE(c.report.empty());
        ASSERT_EQ(c.messages.size(), 1u);
        EXPECT_EQ(c.messages[0].text, expected[k]);
        EXPECT_EQ(c.messages[0].caption, "CalculateTransformParams");
    }
}

} // namespace
