#include "transform/residuals.h"

#include "tests/transform/captured_messages.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

std::string Format(double value, char decimalPoint = '.') {
    char out[400];
    const std::size_t length = FormatFixed6(value, decimalPoint, out);
    EXPECT_EQ(length, std::strlen(out));
    return std::string(out, length);
}

std::string Printf(double value) {
    char out[400];
    std::snprintf(out, sizeof out, "%.6f", value);
    return out;
}

TEST(FormatFixed6, MatchesPrintf) {
    std::mt19937 random(9);
    std::uniform_int_distribution<int> exponent(-60, 45);
    std::uniform_real_distribution<double> mantissa(-1, 1);
    for (int i = 0; i < 300000; ++i) {
        const double value = static_cast<float>(std::ldexp(mantissa(random), exponent(random)));
        ASSERT_EQ(Format(value), Printf(value)) << value;
    }
    for (const double value :
         {0.0, -0.0, 0.0078125, 0.0234375, -0.0000005, 1234.5678, 1e12, -3e38, 1e-40, 0.1,
          1.0 / 3.0, 0x1p40, 0x1p-24, 0x1.ffffffp-21, HUGE_VAL, std::nextafter(0.0078125, 1.0)})
        EXPECT_EQ(Format(value), Printf(value)) << value;
    EXPECT_EQ(Format(0.0078125), "0.007812"); // a tie goes to the even digit
    EXPECT_EQ(Format(-2.5, ','), "-2,500000");
    EXPECT_EQ(Format(1.0 / 3.0, ','), "0,333333");
    EXPECT_EQ(Format(-HUGE_VAL, ','), "-inf");
}

struct Report {
    long result;
    std::string text;
    std::vector<CapturedMessage> messages;
};

Report Write(const std::string &path, const std::vector<double> &TX, const std::vector<double> &TY,
             double sdX, double sdY, bool show = true) {
    CapturedMessages().clear();
    Report r;
    r.result = WriteResiduals(static_cast<long>(TX.size()), TX.data(), TY.data(), path.c_str(),
                              show, sdX, sdY);
    if (r.result == 1)
        r.text = ReadWholeFile(path);
    r.messages = CapturedMessages();
    return r;
}

TEST(WriteResiduals, LaysOutEveryLine) {
    const std::string path = WriteTempFile("report.txt", std::string(5000, 'x'));
    Report r = Write(path, {3, 1234.5678, 0}, {4, -0.25, 0}, 1234.5678, 0.5);
    EXPECT_EQ(r.result, 1);
    EXPECT_TRUE(r.messages.empty());
    const double total = std::sqrt((9.0 + 16.0 + 1234.5678 * 1234.5678 + 0.0625) / 3.0);
    EXPECT_EQ(r.text,
              "Data points converted: 3\nResiduals:\nXRi YRi PointRMS\n"
              "3.000000 4.000000 5.000000\n1234.567749 -0.250000 " +
                  Printf(static_cast<float>(std::sqrt(1234.5678 * 1234.5678 + 0.0625))) +
                  "\n0.000000 0.000000 0.000000\nTotal RMS: " + Printf(static_cast<float>(total)) +
                  "\nStandard deviation in x: 1234.567800\n"
                  "Standard deviation in y: 0.500000\n");
    r = Write(path, {}, {}, 0, 0);
    EXPECT_EQ(r.text, "Data points converted: 0\nResiduals:\nXRi YRi PointRMS\nTotal RMS: "
                      "0.000000\nStandard deviation in x: 0.000000\nStandard deviation in y: "
                      "0.000000\n");
}

TEST(WriteResiduals, FailuresShowTheirMessage) {
    const std::string missing = testing::TempDir() + "no_such_dir/report.txt";
    Report r = Write(missing, {}, {}, 0, 0);
    EXPECT_EQ(r.result, 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Cannot create residuals file.");
    EXPECT_EQ(r.messages[0].caption, "WriteResiduals");
    EXPECT_EQ(r.messages[0].flags, 0x10u);
    EXPECT_TRUE(Write(missing, {}, {}, 0, 0, false).messages.empty());

    // About 80 KB of point lines on a full device: the write fails on the way.
    if (std::FILE *probe = std::fopen("/dev/full", "w")) {
        std::fclose(probe);
        r = Write("/dev/full", std::vector<double>(3000, 1.5), std::vector<double>(3000, 1.5), 0,
                  0);
        EXPECT_EQ(r.result, 0);
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0].text, "Error while writing data into residuals file.");
    }
}

} // namespace
