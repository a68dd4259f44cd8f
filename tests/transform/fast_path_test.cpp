// The fast paths of reading and reporting against slower references built
// from the C library: fgets and the one-number scanner for the reader,
// snprintf for the report's numbers, and full writes of large blocks.
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/number_scan.h"
#include "transform/residuals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace {

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// What ScanLineNumbers must do, composed of the one-number routines.
int ReferenceScan(const char *line, char decimalPoint, double values[4]) {
    const char *p = line;
    while (*p == ' ' || *p == '\t')
        ++p;
    for (int k = 0; k < 4; ++k) {
        if (k > 0 && (p = FindNumberStart(p)) == nullptr)
            return 2 * k;
        if ((p = ScanNumber(p, decimalPoint, &values[k])) == nullptr)
            return 2 * k + 1;
    }
    return 0;
}

struct LineCase {
    const char *text;
    int failure;
};

class ScanLineNumbersTable : public testing::TestWithParam<LineCase> {};

TEST_P(ScanLineNumbersTable, NamesTheFirstFailingStep) {
    const LineCase &c = GetParam();
    double values[4] = {-7, -7, -7, -7};
    double expected[4] = {-7, -7, -7, -7};
    EXPECT_EQ(ScanLineNumbers(c.text, '.', values), c.failure) << c.text;
    EXPECT_EQ(ReferenceScan(c.text, '.', expected), c.failure) << c.text;
    if (c.failure == 0) {
        for (int k = 0; k < 4; ++k)
            EXPECT_TRUE(SameBits(values[k], expected[k])) << c.text << " number " << k;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ScanLineNumbersTable,
    testing::Values(LineCase{"1 2 3 4\n", 0}, LineCase{"1-2-3-4", 0},
                    LineCase{" \t1e3x2,3;4 tail 5 6\r\n", 0}, LineCase{"1 2 3 4e+", 0},
                    LineCase{".5 5. -0 +0.0", 0}, LineCase{"", 1}, LineCase{"\n", 1},
                    LineCase{"  x 1 2 3 4", 1}, LineCase{"1", 2}, LineCase{"1 .", 3},
                    LineCase{"1 2", 4}, LineCase{"1 2 -", 5}, LineCase{"1 2 3", 6},
                    LineCase{"1 2 3\n", 6}, LineCase{"1 2 3 +", 7}, LineCase{"1 2 3 .e5", 7}));

// Random lines of numbers in every form of the grammar, separators that
// hold no number start, and now and then a fragment that ends the line's
// numbers early.
std::string RandomLine(std::mt19937 &random) {
    static const char *const kSeparators[] = {" ", "\t", ",", "; ", " | ", "x", "abc", "/", "e"};
    static const char *const kBroken[] = {".", "-", "+", "+.", "-e5", ".e"};
    std::uniform_int_distribution<int> pick(0, 99);
    std::uniform_real_distribution<double> coordinate(-6e6, 6e6);
    std::string line = pick(random) < 30 ? " \t" : "";
    const int numbers = pick(random) < 5 ? pick(random) % 4 : 4 + pick(random) % 3;
    for (int k = 0; k < numbers; ++k) {
        if (k > 0)
            line += kSeparators[pick(random) % 9];
        char text[64];
        const double v = coordinate(random);
        switch (pick(random) % 8) {
        case 0: std::snprintf(text, sizeof text, "%.17g", v); break;
        case 1: std::snprintf(text, sizeof text, "%.3e", v); break;
        case 2: std::snprintf(text, sizeof text, "%d", static_cast<int>(v)); break;
        case 3: std::snprintf(text, sizeof text, "%.25f", v / 1e6); break; // 25 decimals
        case 4:
            std::snprintf(text, sizeof text, "+%.4fE%d", std::fabs(v), pick(random) - 50);
            break;
        case 5: std::snprintf(text, sizeof text, "%.0f.", v); break;
        case 6: std::snprintf(text, sizeof text, "0000000000000000000000%.3f", std::fabs(v)); break;
        default: std::snprintf(text, sizeof text, "%.4f", v); break;
        }
        line += text;
        if (pick(random) < 2)
            line += kBroken[pick(random) % 6];
    }
    line += pick(random) < 50 ? "\n" : "\r\n";
    return line;
}

TEST(ScanLineNumbers, AgreesWithTheOneNumberScannerOnRandomLines) {
    std::mt19937 random(17);
    int failures[8] = {};
    for (int i = 0; i < 50000; ++i) {
        const std::string line = RandomLine(random);
        for (const char decimalPoint : {'.', ','}) {
            double values[4], expected[4];
            const int failure = ScanLineNumbers(line.c_str(), decimalPoint, values);
            ASSERT_EQ(failure, ReferenceScan(line.c_str(), decimalPoint, expected)) << line;
            ++failures[failure];
            if (failure == 0) {
                for (int k = 0; k < 4; ++k)
                    ASSERT_TRUE(SameBits(values[k], expected[k])) << line << " number " << k;
            }
        }
    }
    // The lines reach the complete case and several failing steps.
    EXPECT_GT(failures[0], 10000);
    EXPECT_GT(failures[1] + failures[2] + failures[3] + failures[4] + failures[5] + failures[6] +
                  failures[7],
              1000);
}

std::string TempPath(const char *name) {
    return testing::TempDir() + name;
}

void WriteFile(const std::string &path, const std::string &content) {
    std::FILE *file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite(content.data(), 1, content.size(), file), content.size());
    std::fclose(file);
}

// A file of about 1.5 MB (several refills of the reader's buffer) with lines
// of every length up to three chunks of 1022 bytes: the reader must hand out
// the lines fgets gives with a count of 1023.
TEST(ReadControlPoints, SplitsLinesAsFgetsDoesAcrossBufferRefills) {
    std::mt19937 random(3);
    std::uniform_int_distribution<int> padding(0, 3100);
    std::uniform_real_distribution<double> coordinate(-1e5, 1e5);
    std::string content;
    while (content.size() < 1500000) {
        // Padded with spaces after four numbers and, in each further chunk
        // of 1022 bytes, four more numbers after the padding.
        char numbers[160];
        std::snprintf(numbers, sizeof numbers, "%.6f %.6f %.6f %.6f", coordinate(random),
                      coordinate(random), coordinate(random), coordinate(random));
        std::string line = numbers;
        const int pad = padding(random) < 2900 ? padding(random) % 40 : padding(random);
        while (static_cast<int>(line.size()) < pad) {
            line.append(1022 - line.size() % 1022, ' ');
            line += numbers;
        }
        line += padding(random) % 3 == 0 ? "\r\n" : "\n";
        content += line;
    }
    const std::string path = TempPath("ortk_fast_path_lines.txt");
    WriteFile(path, content);

    std::vector<double> expected;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char line[1024];
    long lines = 0;
    while (std::fgets(line, 1023, file) != nullptr) {
        ++lines;
        double values[4];
        ASSERT_EQ(ScanLineNumbers(line, '.', values), 0) << "line " << lines << ": " << line;
        expected.insert(expected.end(), values, values + 4);
    }
    std::fclose(file);

    long n = 0;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    ASSERT_EQ(ReadControlPoints(path.c_str(), &n, &XI, &YI, &XP, &YP, false), 1);
    ASSERT_EQ(n, lines);
    EXPECT_GT(n, 5000);
    for (long i = 0; i < n; ++i) {
        const double got[4] = {XI[i], YI[i], XP[i], YP[i]};
        for (int k = 0; k < 4; ++k)
            ASSERT_TRUE(SameBits(got[k], expected[4 * i + k])) << "line " << i + 1;
    }
    FreeCoordinateArrays(XP, YP, XI, YI);
}

std::string Fixed6(double value, char decimalPoint) {
    char out[400];
    const std::size_t length = FormatFixed6(value, decimalPoint, out);
    EXPECT_EQ(std::strlen(out), length);
    return std::string(out, length);
}

// "%.6f" through the runtime in the C locale, with the separator put in.
std::string Printf6(double value, char decimalPoint) {
    char out[400];
    std::snprintf(out, sizeof out, "%.6f", value);
    if (std::isfinite(value))
        *std::strchr(out, '.') = decimalPoint;
    return out;
}

TEST(FormatFixed6, MatchesPrintfAtDigitCountsTiesAndCarries) {
    std::vector<double> values = {0.0,
                                  -0.0,
                                  0.0078125, // ties go to the even digit
                                  0.0234375,
                                  -0.0078125,
                                  std::ldexp(1.0, -21),
                                  std::ldexp(3.0, -22),
                                  9.9999995,
                                  -9.9999995,
                                  0.9999995,
                                  99999.9999995,
                                  1e-40, // a subnormal float
                                  3.4028234663852886e38,
                                  -3.4028234663852886e38,
                                  std::ldexp(1.0, 40),
                                  std::ldexp(1.0, 40) - std::ldexp(1.0, 16),
                                  1.0 / 3.0,
                                  std::numeric_limits<double>::infinity(),
                                  -std::numeric_limits<double>::infinity(),
                                  std::numeric_limits<double>::quiet_NaN()};
    // Floats on both sides of every power of ten the integer part can have,
    // and of the halfway points of the sixth decimal below them.
    for (double power = 1; power <= 1e13; power *= 10)
        for (const double base : {power, power - 0.0000005})
            for (const double sign : {1.0, -1.0}) {
                float f = static_cast<float>(sign * base);
                values.push_back(f);
                values.push_back(std::nextafter(f, 0.0f));
                values.push_back(std::nextafter(f, sign * 1e30f));
            }
    for (const double value : values)
        for (const char decimalPoint : {'.', ','})
            EXPECT_EQ(Fixed6(value, decimalPoint), Printf6(value, decimalPoint))
                << value << " with '" << decimalPoint << "'";
}

// The reference report: one snprintf per number, one fputs per line.
std::string ReferenceReport(long n, const double *TX, const double *TY, double sdX, double sdY) {
    std::string text =
        "Data points converted: " + std::to_string(n) + "\nResiduals:\n" + "XRi YRi PointRMS\n";
    double sum = 0;
    for (long i = 0; i < n; ++i) {
        const double rms = std::sqrt(TX[i] * TX[i] + TY[i] * TY[i]);
        text += Printf6(static_cast<float>(TX[i]), '.') + " " +
                Printf6(static_cast<float>(TY[i]), '.') + " " +
                Printf6(static_cast<float>(rms), '.') + "\n";
        sum += TX[i] * TX[i] + TY[i] * TY[i];
    }
    const double total = n > 0 ? std::sqrt(sum / static_cast<double>(n)) : 0.0;
    text += "Total RMS: " + Printf6(static_cast<float>(total), '.') + "\n";
    text += "Standard deviation in x: " + Printf6(sdX, '.') + "\n";
    text += "Standard deviation in y: " + Printf6(sdY, '.') + "\n";
    return text;
}

std::string ReadAll(const std::string &path) {
    std::string text;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return text;
    char buffer[1 << 14];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

// Reports around and far beyond the sizes at which point lines are handed
// to the stream in pieces, with lines of varying length.
TEST(WriteResiduals, LongReportsMatchOneLineAtATime) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> residual(-1, 1);
    std::uniform_int_distribution<int> scale(-20, 30);
    for (const long n : {0L, 1L, 300L, 301L, 700L, 5000L, 40000L}) {
        std::vector<double> TX(static_cast<std::size_t>(n)), TY(static_cast<std::size_t>(n));
        for (long i = 0; i < n; ++i) {
            TX[i] = std::ldexp(residual(random), scale(random));
            TY[i] = i % 97 == 0 ? 0.0 : std::ldexp(residual(random), scale(random));
        }
        const std::string path = TempPath("ortk_fast_path_report.txt");
        ASSERT_EQ(WriteResiduals(n, TX.data(), TY.data(), path.c_str(), false, 0.125, 1e7), 1);
        EXPECT_EQ(ReadAll(path), ReferenceReport(n, TX.data(), TY.data(), 0.125, 1e7)) << n;
    }
}

// Working blocks from a byte to far beyond the huge-page size can be filled
// to their last byte (the sanitizer build checks the bounds) and released.
TEST(AllocateWorkingMemory, BlocksOfEverySizeHoldWhatWasAskedFor) {
    const std::size_t mb = std::size_t{1} << 20;
    for (const std::size_t bytes : {std::size_t{0}, std::size_t{1}, 2 * mb - 1, 2 * mb, 2 * mb + 1,
                                    2 * mb + 24, 3 * mb, std::size_t{8000000}, 17 * mb + 5}) {
        unsigned char *block = static_cast<unsigned char *>(AllocateWorkingMemory(bytes));
        ASSERT_NE(block, nullptr) << bytes;
        std::memset(block, 0xa5, bytes);
        if (bytes > 0) {
            EXPECT_EQ(block[bytes - 1], 0xa5);
        }
        std::free(block);
    }
}

} // namespace
