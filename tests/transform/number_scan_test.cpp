#include "transform/number_scan.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

struct ScanCase {
    const char *text;
    int length; // characters converted; -1: nothing converted
    double value;
};

class ScanNumberTable : public testing::TestWithParam<ScanCase> {};

TEST_P(ScanNumberTable, FollowsTheGrammar) {
    const ScanCase &c = GetParam();
    double value = -12345.0;
    const char *end = ScanNumber(c.text, '.', &value);
    if (c.length < 0) {
        EXPECT_EQ(end, nullptr) << c.text;
        EXPECT_EQ(value, -12345.0) << c.text;
        return;
    }
    ASSERT_NE(end, nullptr) << c.text;
    EXPECT_EQ(end - c.text, c.length) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
    EXPECT_EQ(std::signbit(value), std::signbit(c.value)) << c.text;
}

const double kInf = HUGE_VAL;

INSTANTIATE_TEST_SUITE_P(
    Numbers, ScanNumberTable,
    testing::Values(
        ScanCase{"1", 1, 1}, ScanCase{"  \t\r\n\v\f-2.5x", 11, -2.5}, ScanCase{"+.5", 3, 0.5},
        ScanCase{"5.", 2, 5}, ScanCase{"-0", 2, -0.0}, ScanCase{"1e3", 3, 1000},
        ScanCase{"1E+3", 4, 1000}, ScanCase{"2.5e-1,", 6, 0.25}, ScanCase{"1e", 1, 1},
        ScanCase{"1e+", 1, 1}, ScanCase{"1.5E-x", 3, 1.5}, ScanCase{"0x10", 1, 0},
        ScanCase{"0X1p3", 1, 0}, ScanCase{"inf", -1, 0}, ScanCase{"-infinity", -1, 0},
        ScanCase{"nan", -1, 0}, ScanCase{".", -1, 0}, ScanCase{"-", -1, 0}, ScanCase{"+.e5", -1, 0},
        ScanCase{"", -1, 0}, ScanCase{"1-2", 1, 1}, ScanCase{"1,5", 1, 1},
        ScanCase{"1e400", 5, kInf}, ScanCase{"-1e400", 6, -kInf}, ScanCase{"1e-400", 6, 0.0},
        ScanCase{"-1e-400", 7, -0.0}, ScanCase{"0.000001e-320", 13, 0.0},
        ScanCase{"12345678901234567890e290", 24, kInf},
        ScanCase{"4.9406564584124654e-324", 23, 4.9406564584124654e-324},
        ScanCase{"1e-310", 6, 1e-310},
        ScanCase{"0.1000000000000000055511151231257827021181583404541015625", 57, 0.1},
        ScanCase{"9007199254740993", 16, 9007199254740992.0},
        ScanCase{"1e99999999999999999999", 22, kInf}, ScanCase{"0e99999999999999999999", 22, 0.0}));

TEST(ScanNumber, UsesTheGivenDecimalPoint) {
    double value = 0;
    const char *text = "3,25.5";
    const char *end = ScanNumber(text, ',', &value);
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(end - text, 4);
    EXPECT_EQ(value, 3.25);
    EXPECT_EQ(ScanNumber(".5", ',', &value), nullptr);
    const char *negative = "-,5e1";
    EXPECT_EQ(ScanNumber(negative, ',', &value), negative + 5);
    EXPECT_EQ(value, -5.0);
}

TEST(FindNumberStart, StopsAtTheFirstCharacterOfTheSet) {
    const char *text = "abc;, x-1";
    EXPECT_EQ(FindNumberStart(text), text + 7);
    EXPECT_EQ(FindNumberStart("\t\r\n"), nullptr);
    EXPECT_EQ(FindNumberStart(".x") != nullptr, true);
    EXPECT_EQ(FindNumberStart("e E"), nullptr);
}

// Compares with the C library's strtod (correctly rounded under glibc) on
// random texts of the shared grammar.
TEST(ScanNumber, AgreesWithStrtodOnRandomNumbers) {
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937 random(1);
    const char *alphabet = "0123456789";
    for (int trial = 0; trial < 200000; ++trial) {
        std::string text;
        if (random() % 4 == 0)
            text += random() % 2 ? '-' : '+';
        const int intDigits = random() % 25;
        for (int i = 0; i < intDigits; ++i)
            text += alphabet[random() % 10];
        if (random() % 2) {
            text += '.';
            const int fracDigits = random() % 25;
            for (int i = 0; i < fracDigits; ++i)
                text += alphabet[random() % 10];
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
        double value = 0;
        const char *end = ScanNumber(text.c_str(), '.', &value);
        if (expectedEnd == text.c_str()) {
            ASSERT_EQ(end, nullptr) << text;
            continue;
        }
        ASSERT_EQ(end, expectedEnd) << text;
        ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
            << text << ": " << value << " vs " << expected;
    }
}

} // namespace
