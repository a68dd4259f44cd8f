// The residuals report and the whole fitting request: FormatFixed6 against
// snprintf's "%.6f", reports against one built a line at a time, the fit's
// report and coefficients, the locale switched around the report only, and
// every failure with its messages and the outputs it leaves alone.
#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"
#include "transform/fit_entry.h"
#include "transform/residuals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <sstream>

namespace {

// "%.6f" through the runtime in the C locale, with the separator put in.
std::string Printf6(double value, char point = '.') {
    char out[400];
    std::snprintf(out, sizeof out, "%.6f", value);
    if (char *dot = std::strchr(out, '.'))
        *dot = point;
    return out;
}

TEST(FormatFixed6, MatchesPrintfAtRandomAndAtTiesCarriesAndDigitCounts) {
    std::mt19937 random(9);
    std::vector<double> values;
    std::istringstream list("0 -0 0.0078125 0.0234375 -0.0078125 0x1p-21 0x3p-22 1e-40 "
                            "3.4028234663852886e38 0x1p40 0x1.fffffep39 0x1p-24 0x1.ffffffp-21 "
                            "0.33333333333333331 inf -inf nan 0.1 0.0078125000000000017");
    for (std::string text; list >> text;)
        values.push_back(std::strtod(text.c_str(), nullptr));
    for (double power = 1; power <= 1e13; power *= 10)
        for (const double base : {power, -power, power - 5e-7, 5e-7 - power}) {
            const float f = static_cast<float>(base);
            values.insert(values.end(), {f, std::nextafter(f, 0.0f), std::nextafter(f, 2 * f)});
        }
    for (int i = 0; i < 200000; ++i)
        values.push_back(static_cast<float>(std::ldexp(random() / 4e9 - 0.5, random() % 106 - 60)));
    for (const double value : values) {
        char out[400];
        const char point = value < 0.1 ? ',' : '.';
        const std::size_t length = FormatFixed6(value, point, out);
        ASSERT_EQ(out, Printf6(value, point)) << value;
        ASSERT_EQ(length, std::strlen(out));
    }
}

// Reports around and far beyond the sizes at which point lines are handed to
// the stream in pieces, over a longer file that must be truncated, against
// one built with snprintf.
TEST(WriteResiduals, ReportsMatchOneLineAtATime) {
    std::mt19937 random(11);
    const std::string path = WriteTempFile("report.txt", std::string(500000, 'x'));
    for (const long n : {0L, 1L, 3L, 300L, 301L, 700L, 5000L}) {
        std::vector<double> TX(n), TY(n);
        std::string expected =
            "Data points converted: " + std::to_string(n) + "\nResiduals:\nXRi YRi PointRMS\n";
        double sum = 0;
        for (long i = 0; i < n; ++i) {
            TX[i] = std::ldexp(random() / 2e9 - 1, random() % 50 - 20);
            TY[i] = i % 97 ? std::ldexp(random() / 2e9 - 1, random() % 50 - 20) : 0.0;
            const double squares = TX[i] * TX[i] + TY[i] * TY[i];
            expected += Printf6(static_cast<float>(TX[i])) + " " +
                        Printf6(static_cast<float>(TY[i])) + " " +
                        Printf6(static_cast<float>(std::sqrt(squares))) + "\n";
            sum += squares;
        }
        const double total = n ? std::sqrt(sum / n) : 0.0;
        ASSERT_EQ(WriteResiduals(n, TX.data(), TY.data(), path.c_str(), true, 1234.5678, 1e7), 1);
        EXPECT_EQ(ReadWholeFile(path), expected +
                                           "Total RMS: " + Printf6(static_cast<float>(total)) +
                                           "\nStandard deviation in x: 1234.567800\n"
                                           "Standard deviation in y: 10000000.000000\n")
            << n;
        EXPECT_EQ(TotalRms(n, TX.data(), TY.data()), total);
    }
    EXPECT_TRUE(CapturedMessages().empty());
}

int g_enter = 0, g_leave = 0;
const ReportLocale kCountingLocale = {[] { ++g_enter; }, [] { ++g_leave; }};
const char *kAffineSix = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
                         "5 5 1013.1 2011.3\n20 5 1042.5 2005\n";

struct Call {
    long result, count;
    double params[25];
    std::string report, messages; // "flags caption: text" of each message, one a line
    FitDeviations sd = {-1, -1};
};

// One fit of the points with the type; report "" writes none.
Call RunFit(const std::string &points, long type, long preset = -7,
            const std::string &report = "r.txt") {
    Call c;
    c.count = preset;
    std::fill(c.params, c.params + 25, -1.0);
    const std::string cp = WriteTempFile("entry_points.txt", points);
    const bool device = report[0] == '/';
    const std::string path = device ? report : WriteTempFile(report, "old");
    if (!device)
        std::remove(path.c_str());
    CapturedMessages().clear();
    g_enter = g_leave = 0;
    c.result =
        RunTransformFit(cp.c_str(), type, &c.count, c.params,
                        report.empty() ? nullptr : path.c_str(), true, kCountingLocale, &c.sd);
    c.report = device ? "" : ReadWholeFile(path);
    for (const CapturedMessage &m : CapturedMessages())
        c.messages += std::to_string(m.flags) + " " + m.caption + ": " + m.text + "\n";
    EXPECT_EQ(g_enter, g_leave);
    return c;
}

TEST(RunTransformFit, WritesTheReportOfTheFit) {
    Call c = RunFit(kAffineSix, 3);
    EXPECT_TRUE(c.result == 1 && c.count == 6 && c.params[6] == -1.0 && g_enter == 1);
    const double params[6] = {1000.139130, 1999.721739, 1.994783, -0.489565, 0.5, 3.0};
    for (int k = 0; k < 6; ++k)
        EXPECT_NEAR(c.params[k], params[k], 5e-7) << k;
    EXPECT_TRUE(std::fabs(c.sd.sdX - 0.220671) < 5e-7 && std::fabs(c.sd.sdY - 0.441342) < 5e-7);
    EXPECT_EQ(c.messages + c.report, "Data points converted: 6\nResiduals:\nXRi YRi PointRMS\n"
                                     "-0.139130 0.278261 0.311105\n-0.086957 0.173913 0.194441\n"
                                     "-0.139130 0.278261 0.311105\n-0.086957 0.173913 0.194441\n"
                                     "0.486957 -0.973913 1.088868\n-0.034783 0.069565 0.077776\n"
                                     "Total RMS: 0.493435\nStandard deviation in x: 0.220671\n"
                                     "Standard deviation in y: 0.441342\n");
    c = RunFit(kAffineSix, 3, -7, ""); // no report: coefficients and deviations only
    EXPECT_TRUE(c.result == 1 && c.report.empty() && c.sd.sdY > 0.44 && g_enter == 0);
    c = RunFit(kAffineSix, 6); // fewer points than coefficients: twenty copied, zero residuals
    EXPECT_TRUE(c.count == 20 && c.params[19] != -1.0 && c.params[20] == -1.0);
    EXPECT_NE(c.report.find("0.000000 0.000000 0.000000\nTotal RMS: 0.000000\n"),
              std::string::npos);
    for (const long type : {0L, 7L}) { // no model: the preset count of zeros
        c = RunFit(kAffineSix, type, 3);
        EXPECT_TRUE(c.result == 1 && c.count == 3 && c.params[2] == 0.0 && c.params[3] == -1.0);
        EXPECT_NE(c.report.find("0.000000 0.000000 0.000000\nTotal RMS: 0.000000\n"
                                "Standard deviation in x: 0.000000\n"),
                  std::string::npos);
    }
    c = RunFit("", 3);
    EXPECT_TRUE(c.result == 1 && c.count == 6 && std::isnan(c.params[0]));
    EXPECT_EQ(c.report.substr(0, 25), "Data points converted: 0\n");
}

TEST(RunTransformFit, FailuresLeaveTheOutputsAsTheyWere) {
    std::string many;
    for (int i = 0; i < 3000; ++i)
        many += std::to_string(i) + " " + std::to_string(i % 7) + " 1 2\n";
    // The read of six points makes five allocations; TX and TY come next.
    const struct {
        std::string points;
        long failAllocation;
        const char *report, *messages;
    } rows[] = {{"1 2 3 4\n1 2 3\n", 0, "r.txt",
                 "0 ReadControlPoints: Error in line 2 of input data file: y_new not found\n"},
                {kAffineSix, 6, "r.txt",
                 "16 CalculateTransformParams: Out of memory: cannot allocate TX array.\n"},
                {kAffineSix, 7, "r.txt",
                 "16 CalculateTransformParams: Out of memory: cannot allocate TY array.\n"},
                // Reports that cannot be written: the coefficients are out already.
                {kAffineSix, 0, "no_such_dir/r.txt",
                 "16 WriteResiduals: Cannot create residuals file.\n"
                 "16 CalculateTransformParams: Cannot create file to store residuals\n"},
                // About 80 KB of point lines on a full device: the write fails on the way.
                {many, 0, "/dev/full",
                 "16 WriteResiduals: Error while writing data into residuals file.\n"
                 "16 CalculateTransformParams: Cannot create file to store residuals\n"}};
    for (const auto &row : rows) {
        FailWorkingAllocation(row.failAllocation);
        const Call c = RunFit(row.points, 3, -7, row.report);
        FailWorkingAllocation(0);
        const bool fitted = row.report != std::string("r.txt");
        EXPECT_EQ(c.messages, row.messages);
        EXPECT_TRUE(c.result == 0 && c.report.empty() && g_enter == fitted);
        EXPECT_TRUE(c.count == (fitted ? 6 : -7) && (c.params[2] == -1.0) != fitted);
    }
}

// Working blocks from a byte to far beyond the huge-page size can be filled
// to their last byte (the sanitizer build checks the bounds) and released.
TEST(AllocateWorkingMemory, BlocksOfEverySizeHoldWhatWasAskedFor) {
    for (const std::size_t bytes :
         {0, 1, 2097151, 2097152, 2097153, 2097176, 3145728, 8000000, 17825797}) {
        void *block = AllocateWorkingMemory(bytes);
        ASSERT_NE(block, nullptr) << bytes;
        std::free(std::memset(block, 0xa5, bytes));
    }
}

} // namespace
