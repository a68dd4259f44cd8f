#include "transform/number_scan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

namespace {

// Scans text and checks that it stops where expected (at the '|' of the row,
// or converts nothing when the row has none) with the bits of strtod's value
// for the text before the '|' (glibc's strtod is correctly rounded).
void ExpectScan(std::string row, char decimalPoint = '.') {
    const std::size_t stop = row.find('|');
    if (stop != std::string::npos)
        row.erase(stop, 1);
    double value = -12345.0;
    const char *end = ScanNumber(row.c_str(), decimalPoint, &value);
    if (stop == std::string::npos) {
        EXPECT_TRUE(end == nullptr && value == -12345.0) << row;
        return;
    }
    std::string prefix = row.substr(0, stop);
    std::replace(prefix.begin(), prefix.end(), decimalPoint, '.');
    const double expected = std::strtod(prefix.c_str(), nullptr);
    EXPECT_EQ(end, row.c_str() + stop) << row;
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << row << ": " << value;
}

TEST(ScanNumber, FollowsTheGrammar) {
    std::setlocale(LC_NUMERIC, "C");
    // Rows separated by '~'.
    const std::string rows =
        "1|~+.5|~5.|~-0|~1E+3|~2.5e-1|,~1|e~1|e+~1.5|E-x~0|x10~1|-2~1|,5~inf~nan~.~-~"
        "+.e5~~1e400|~-1e400|~-1e-400|~1e-23|~1e23|~123456789e-22|~ \t\r\n\v\f-2.5|x~"
        "0.000001e-320|~12345678901234567890e290|~-0.0000000000000000000000000001e-300|~"
        "4.9406564584124654e-324|~9007199254740993|~9007199254740993e-22|~"
        "18446744073709551617|~0.1000000000000000055511151231257827021181583404541015625|~"
        "1e99999999999999999999|~0e99999999999999999999|~-1e-99999999999999999999|";
    for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1)
        ExpectScan(rows.substr(from, (to = rows.find('~', from)) - from));
    // Beyond the range by the position of the first digit, not the exponent.
    ExpectScan("1" + std::string(400, '0') + "e-10|");
    ExpectScan("0." + std::string(400, '0') + "1e10|");
    ExpectScan("-0," + std::string(400, '0') + "1e10|", ',');
    ExpectScan(".5", ',');
    EXPECT_EQ(FindNumberStart("abc;, x-1"), std::string("-1"));
    EXPECT_EQ(FindNumberStart("\t\r\n e E"), nullptr);
    EXPECT_EQ(FindNumberStart("x.5"), std::string(".5"));
}

// Random texts of the shared grammar, with a full stop and with a comma.
TEST(ScanNumber, AgreesWithStrtodOnRandomNumbers) {
    std::setlocale(LC_NUMERIC, "C");
    std::mt19937 random(1);
    auto digits = [&](std::string &text) {
        for (int i = random() % 25; i > 0; --i)
            text += static_cast<char>('0' + random() % 10);
    };
    for (int trial = 0; trial < 200000; ++trial) {
        std::string text = random() % 4 ? "" : random() % 2 ? "-" : "+";
        digits(text);
        const std::size_t point = text.size();
        if (random() % 2) {
            text += '.';
            digits(text);
        }
        if (random() % 2)
            text += std::string(random() % 2 ? "e" : "E") +
                    (random() % 3   ? ""
                     : random() % 2 ? "-"
                                    : "+") +
                    std::to_string(random() % 700);
        char *end = nullptr;
        std::strtod(text.c_str(), &end);
        const std::string row =
            end == text.c_str() ? text : text.substr(0, end - text.c_str()) + "|" + end;
        ExpectScan(row + " tail");
        if (point < text.size() && text[point] == '.') {
            std::string comma = row;
            comma[point] = ',';
            ExpectScan(comma + " tail", ',');
        }
        if (HasFailure())
            return;
    }
}

} // namespace
