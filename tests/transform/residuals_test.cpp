#include "transform/residuals.h"

#include "tests/transform/captured_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

namespace {

std::string Format(double value) {
    char out[400];
    const std::size_t length = FormatFixed6(value, '.', out);
    return std::string(out, length);
}

std::string Printf(double value) {
    char out[400];
    std::snprintf(out, sizeof out, "%.6f", value);
    return out;
}

TEST(FormatFixed6, MatchesPrintfOnFloats) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> exponent(-60, 45);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    for (int i = 0; i < 300000; ++i) {
        const double value = static_cast<float>(std::ldexp(mantissa(random), exponent(random)));
        ASSERT_EQ(Format(value), Printf(value)) << value;
    }
    for (const double value : {0.0, -0.0, 0.0078125, 0.0234375, -0.0000005, 1234.5678, 1e12, -3e38,
                               1e-40, 0.1, 1.0 / 3.0, HUGE_VAL, -HUGE_VAL})
        EXPECT_EQ(Format(value), Printf(value)) << value;
    EXPECT_EQ(Format(static_cast<float>(1234.5678)), "1234.567749");
    EXPECT_EQ(Format(1234.5678), "1234.567800");
    EXPECT_EQ(Format(0.0078125), "0.007812"); // a tie goes to the even digit
    EXPECT_EQ(Format(-0.0), "-0.000000");
    char out[400];
    FormatFixed6(-2.5, ',', out);
    EXPECT_STREQ(out, "-2,500000");
}

std::string Write(long n, const double *TX, const double *TY, double sdX, double sdY,
                  long *result) {
    const std::string path = testing::TempDir() + "ortk_transform_report.txt";
    CapturedMessages().clear();
    *result = WriteResiduals(n, TX, TY, path.c_str(), true, sdX, sdY);
    return ReadWholeFile(path);
}

TEST(WriteResiduals, LaysOutEveryLine) {
    const double TX[2] = {3, 1234.5678};
    const double TY[2] = {4, -0.25};
    long result = 0;
    const std::string report = Write(2, TX, TY, 1234.5678, 0.5, &result);
    EXPECT_EQ(result, 1);
    const double total = std::sqrt((9.0 + 16.0 + 1234.5678 * 1234.5678 + 0.0625) / 2.0);
    const std::string expected =
        "Data points converted: 2\n"
        "Residuals:\n"
        "XRi YRi PointRMS\n"
        "3.000000 4.000000 5.000000\n"
        "1234.567749 -0.250000 " +
        Printf(static_cast<float>(std::sqrt(1234.5678 * 1234.5678 + 0.0625))) +
        "\nTotal RMS: " + Printf(static_cast<float>(total)) +
        "\nStandard deviation in x: 1234.567800\n"
        "Standard deviation in y: 0.500000\n";
    EXPECT_EQ(report, expected);
    EXPECT_TRUE(CapturedMessages().empty());
}

TEST(WriteResiduals, NoPointsGiveHeaderTotalAndDeviations) {
    long result = 0;
    const std::string report = Write(0, nullptr, nullptr, 0, 0, &result);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(report, "Data points converted: 0\nResiduals:\nXRi YRi PointRMS\nTotal RMS: "
                      "0.000000\nStandard deviation in x: 0.000000\nStandard deviation in y: "
                      "0.000000\n");
}

TEST(WriteResiduals, ReplacesAnExistingReport) {
    const std::string path = WriteTempFile("report_old.txt", std::string(5000, 'x'));
    const double zero[1] = {0};
    EXPECT_EQ(WriteResiduals(1, zero, zero, path.c_str(), false, 0, 0), 1);
    EXPECT_EQ(ReadWholeFile(path).find("xx"), std::string::npos);
}

TEST(WriteResiduals, MissingDirectoryGivesMessage2013) {
    const std::string path = testing::TempDir() + "no_such_dir/report.txt";
    CapturedMessages().clear();
    EXPECT_EQ(WriteResiduals(0, nullptr, nullptr, path.c_str(), true, 0, 0), 0);
    ASSERT_EQ(CapturedMessages().size(), 1u);
    EXPECT_EQ(CapturedMessages()[0].text, "Cannot create residuals file.");
    EXPECT_EQ(CapturedMessages()[0].caption, "WriteResiduals");
    EXPECT_EQ(CapturedMessages()[0].flags, 0x10u);
    CapturedMessages().clear();
    EXPECT_EQ(WriteResiduals(0, nullptr, nullptr, path.c_str(), false, 0, 0), 0);
    EXPECT_TRUE(CapturedMessages().empty());
}

TEST(WriteResiduals, FullDeviceGivesAWriteMessage) {
    std::FILE *probe = std::fopen("/dev/full", "w");
    if (probe == nullptr)
        GTEST_SKIP() << "no /dev/full";
    std::fclose(probe);
    // Enough points to overflow the stream buffer while writing point lines.
    std::vector<double> values(20000, 1.5);
    CapturedMessages().clear();
    EXPECT_EQ(WriteResiduals(20000, values.data(), values.data(), "/dev/full", true, 0, 0), 0);
    ASSERT_EQ(CapturedMessages().size(), 1u);
    EXPECT_EQ(CapturedMessages()[0].text, "Error while writing data into residuals file.");
}

TEST(TotalRms, IsTheRootMeanSquareLengthOverAllPoints) {
    const double TX[3] = {3, 0, 1};
    const double TY[3] = {4, 0, 1};
    EXPECT_DOUBLE_EQ(TotalRms(3, TX, TY), std::sqrt(27.0 / 3.0));
    EXPECT_EQ(TotalRms(0, TX, TY), 0.0);
}

} // namespace
