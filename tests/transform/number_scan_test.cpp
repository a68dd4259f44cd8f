#include "transform/number_scan.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

const double kInf = HUGE_VAL;

// Text, characters converted (-1: nothing converted) and value, with the full
// stop as decimal point.
const struct {
    const char *text;
    int length;
    double value;
} kNumbers[] = {{"1", 1, 1},
                {" \t\r\n\v\f-2.5x", 10, -2.5},
                {"+.5", 3, 0.5},
                {"5.", 2, 5},
                {"-0", 2, -0.0},
                {"1E+3", 4, 1000},
                {"2.5e-1,", 6, 0.25},
                {"1e", 1, 1},
                {"1e+", 1, 1},
                {"1.5E-x", 3, 1.5},
                {"0x10", 1, 0},
                {"inf", -1, 0},
                {"nan", -1, 0},
                {".", -1, 0},
                {"-", -1, 0},
                {"+.e5", -1, 0},
                {"", -1, 0},
                {"1-2", 1, 1},
                {"1,5", 1, 1},
                {"1e400", 5, kInf},
                {"-1e400", 6, -kInf},
                {"-1e-400", 7, -0.0},
                {"0.000001e-320", 13, 0.0},
                {"12345678901234567890e290", 24, kInf},
                {"-0.0000000000000000000000000001e-300", 36, -0.0},
                {"99999999999999999999e-330", 25, 1e-310},
                {"4.9406564584124654e-324", 23, 4.9406564584124654e-324},
                {"9007199254740993", 16, 9007199254740992.0},
                {"0.1000000000000000055511151231257827021181583404541015625", 57, 0.1},
                {"1e99999999999999999999", 22, kInf},
                {"0e99999999999999999999", 22, 0.0},
                {"1e-99999999999999999999", 23, 0.0},
                {"123456789e-22", 13, 123456789e-22},
                {"9007199254740992e22", 19, 9007199254740992e22},
                {"9007199254740993e-22", 20, 9007199254740993e-22}};

TEST(ScanNumber, FollowsTheGrammar) {
    for (const auto &c : kNumbers) {
        double value = -12345.0;
        const char *end = ScanNumber(c.text, '.', &value);
        if (c.length < 0) {
            EXPECT_EQ(end, nullptr) << c.text;
            EXPECT_EQ(value, -12345.0) << c.text;
            continue;
        }
        ASSERT_NE(end, nullptr) << c.text;
        EXPECT_EQ(end - c.text, c.length) << c.text;
        EXPECT_EQ(value, c.value) << c.text;
        EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text;
    }
    EXPECT_EQ(FindNumberStart("abc;, x-1"), std::string("-1"));
    EXPECT_EQ(FindNumberStart("\t\r\n e E"), nullptr);
    EXPECT_NE(FindNumberStart("x.5"), nullptr);
}

// Random texts of the shared grammar must convert as the C library's strtod
// (correctly rounded under glibc) converts them, to the bit, with the full
// stop and again with a comma as the decimal point.
TEST(ScanNumber, AgreesWithStrtodOnRandomNumbers) {
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937 random(1);
    auto digits = [&](std::string &text, int most) {
        for (int i = random() % most; i > 0; --i)
            text += static_cast<char>('0' + random() % 10);
    };
    for (int trial = 0; trial < 200000; ++trial) {
        std::string text;
        if (random() % 4 == 0)
            text += random() % 2 ? '-' : '+';
        digits(text, 25);
        const std::size_t point = text.size();
        if (random() % 2) {
            text += '.';
            digits(text, 25);
        }
        if (random() % 2) {
            text += random() % 2 ? 'e' : 'E';
            if (random() % 2)
                text += random() % 2 ? '-' : '+';
            text += std::to_string(random() % 700);
        }
        text += " tail";
        char *expectedEnd = nullptr;
        const double expected = std::strtod(text.c_str(), &expectedEnd);
        std::string comma = text;
        if (comma[point] == '.')
            comma[point] = ',';
        for (const char decimalPoint : {'.', ','}) {
            const char *start = decimalPoint == '.' ? text.c_str() : comma.c_str();
            double value = 0;
            const char *end = ScanNumber(start, decimalPoint, &value);
            if (expectedEnd == text.c_str()) {
                ASSERT_EQ(end, nullptr) << text;
                continue;
            }
            ASSERT_EQ(end - start, expectedEnd - text.c_str()) << text << decimalPoint;
            ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
                << text << decimalPoint << ": " << value << " vs " << expected;
        }
    }
    double value = 0;
    EXPECT_EQ(ScanNumber(".5", ',', &value), nullptr);
}

} // namespace
