// Reading control points: the number scanner against glibc's correctly
// rounded strtod, the line scanner against the one-number routines, and the
// reader against fgets, with every failure and its message.
#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/number_scan.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <clocale>
#include <cstring>
#include <random>

namespace {

// Scans row (the expected stop marked by '|'; none: nothing converts) and
// compares the value's bits with strtod's for the text before the stop.
void ExpectScan(std::string row, char point = '.') {
    const std::size_t stop = row.find('|');
    row.erase(std::min(stop, row.size()), 1);
    double value = -7, expected = -7;
    const char *end = ScanNumber(row.c_str(), point, &value);
    std::string prefix = row.substr(0, stop);
    std::replace(prefix.begin(), prefix.end(), point, '.');
    if (stop != std::string::npos)
        expected = std::strtod(prefix.c_str(), nullptr);
    EXPECT_EQ(end, stop == std::string::npos ? nullptr : row.c_str() + stop) << row;
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << row << ": " << value;
}

// ScanLineNumbers against the one-number routines it is made of; returns its result.
int ExpectLine(const std::string &line, char point) {
    double got[4] = {-7, -7, -7, -7}, expected[4] = {-7, -7, -7, -7};
    int failure = 0;
    const char *p = line.c_str() + std::strspn(line.c_str(), " \t");
    for (int k = 0; k < 4 && failure == 0; ++k)
        if (k > 0 && (p = FindNumberStart(p)) == nullptr)
            failure = 2 * k;
        else if ((p = ScanNumber(p, point, &expected[k])) == nullptr)
            failure = 2 * k + 1;
    EXPECT_EQ(ScanLineNumbers(line.c_str(), point, got), failure) << line;
    EXPECT_EQ(std::memcmp(got, expected, sizeof got), 0) << line;
    return failure;
}

TEST(ScanNumber, FollowsTheGrammar) {
    std::setlocale(LC_NUMERIC, "C");
    const std::string z400(400, '0'), z15(15, '0'),
        rows =
            "1|~+.5|~5.|~-0|~1E+3|~2.5e-1|,~1|e~1|e+~1.5|E-x~0|x10~1|-2~1|,5~inf~nan~.~-~+.e5~~"
            "1e400|~"
            "-1e-400|~1e-23|~1e23|~1e22|~1e-22|~123456789e-22|~ \t\r\n\v\f-2.5|x~9007199254740993|~"
            "4.9406564584124654e-324|~9007199254740993e-22|~9007199254740992|~18446744073709551617|"
            "~"
            "0.1000000000000000055511151231257827021181583404541015625|~1e99999999999999999999|~"
            "0e99999999999999999999|~-1e-99999999999999999999|~12345678901234567890e290|~1" +
            z400 + "e-10|~-1" + z15 + "0e-324|~0." + z400 + "1e10|~-0." + z15 + "1e-300|~10." +
            z15 + "1e308|";
    for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1)
        ExpectScan(rows.substr(from, (to = rows.find('~', from)) - from));
    for (const char *row : {"-0,0000000000000001e10|", ".5", "1,5e-400|"})
        ExpectScan(row, ',');
    EXPECT_STREQ(FindNumberStart("abc;, x-1"), "-1");
    EXPECT_STREQ(FindNumberStart("x.5"), ".5");
    EXPECT_EQ(FindNumberStart("\t\r\n e E/:"), nullptr);
    const std::pair<const char *, int> lines[] = {
        {"1 2 3 4\n", 0},   {"1-2-3-4", 0}, {" \t1e3x2,3;4 tail 5\r\n", 0},
        {"\v1 2 3 4e+", 0}, {"", 1},        {"  x 1 2 3", 1},
        {"1", 2},           {"1 .", 3},     {"1 2", 4},
        {"1 2 -", 5},       {"1 2 3\n", 6}, {"1 2 3 +", 7},
        {"1 2 3 .e5", 7}};
    for (const auto &[line, failure] : lines)
        EXPECT_EQ(ExpectLine(line, '.'), failure) << line;
}

// Random numbers of the grammar, alone (full stop) and four to a line (comma
// and full stop in turn).
TEST(ScanNumber, AgreesWithStrtodOnRandomNumbersAndLines) {
    std::mt19937 random(1);
    const auto digits = [&](std::string &text) {
        for (int i = random() % 25; i > 0; --i)
            text += static_cast<char>('0' + random() % 10);
    };
    for (int trial = 0; trial < 60000 && !HasFailure(); ++trial) {
        const char point = trial % 4 == 3 || trial % 4 == 0 ? ',' : '.';
        std::string line = trial % 3 ? "" : " \t";
        for (int k = trial % 2 ? 1 : random() % 7; k > 0; --k) {
            std::string text = random() % 4 ? "" : random() % 2 ? "-" : "+";
            digits(text);
            if (random() % 2)
                digits(text += point);
            if (random() % 2)
                text += (random() % 2 ? "e" : "E") +
                        std::string(random() % 3 ? 0 : 1, "-+"[random() % 2]) +
                        std::to_string(random() % 700);
            line += text + " ,;:x/e-"[random() % 8];
        }
        if (trial % 2) {
            std::string copy = line;
            std::replace(copy.begin(), copy.end(), point, '.');
            char *end = nullptr;
            std::strtod(copy.c_str(), &end);
            ExpectScan(end == copy.c_str() ? line : line.insert(end - copy.c_str(), "|"), point);
        } else {
            ExpectLine(line + "\r\n", point);
        }
    }
}

struct ReadResult {
    long result = -1, n = -1;
    std::vector<double> points; // x_old, y_old, x_new, y_new of each point
    std::string messages;       // "flags caption: text" of each
};

ReadResult ReadPath(const std::string &path, bool show = true) {
    CapturedMessages().clear();
    ReadResult r;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    r.result = ReadControlPoints(path.c_str(), &r.n, &XI, &YI, &XP, &YP, show);
    for (long i = 0; r.result == 1 && i < r.n; ++i)
        r.points.insert(r.points.end(), {XI[i], YI[i], XP[i], YP[i]});
    EXPECT_TRUE(r.result == 1 ||
                (XI == nullptr && YI == nullptr && XP == nullptr && YP == nullptr));
    FreeCoordinateArrays(XP, YP, XI, YI);
    for (const CapturedMessage &m : CapturedMessages())
        r.messages += std::to_string(m.flags) + " " + m.caption + ": " + m.text;
    return r;
}

ReadResult ReadText(const std::string &content, bool show = true) {
    return ReadPath(WriteTempFile("points.txt", content), show);
}

TEST(ReadControlPoints, ReadsLinesWithPointsAndStopsAtTheFirstBadOne) {
    const ReadResult r = ReadText("1 2 3 4\n1,2,3,4\r\n \t 1\t2\t3\t4 m\n1-2-3-4\n1 2 3 4 5\n"
                                  "1;2 => 3;4 m\n0x10 2 3 4\n+1 +2 -.5 .25\n1e 2e, 3E-2 4");
    EXPECT_EQ(r.points,
              (std::vector<double>{1, 2, 3, 4, 1, 2, 3, 4,  1, 2, 3, 4, 1,   -2,  -3, -4, 1,   2,
                                   3, 4, 1, 2, 3, 4, 0, 10, 2, 3, 1, 2, -.5, .25, 1,  2,  .03, 4}));
    const std::string good = "10 20 30 40\n5 6 7 8\n";
    const std::pair<std::string, const char *> rows[] = {
        {good + "x 1 2 3 4\n", "3 of input data file: missing x_old coordinate"},
        {good + "1\n", "3 of input data file: y_old not found"},
        {good + "1 -\n", "3 of input data file: missing y_old coordinate"},
        {good + "1 2\n", "3 of input data file: x_new not found"},
        {good + "1 2 .\n", "3 of input data file: missing x_new coordinate"},
        {good + "1 2 3\n", "3 of input data file: y_new not found"},
        {good + "1 2 3 +e4\n", "3 of input data file: missing y_new coordinate"},
        {good + "1 2 3 4\n\n", "4 of input data file: missing x_old coordinate"},
        {std::string("1 2 3 4\n1 2\0 3 4\n", 18), "2 of input data file: x_new not found"},
        // 1022 bytes are read at most: a longer line ends in a line of its own.
        {"1 2 3 4" + std::string(1015, ' ') + "\n",
         "2 of input data file: missing x_old coordinate"}};
    for (const auto &[text, message] : rows) {
        EXPECT_EQ(ReadText(text).messages,
                  std::string("0 ReadControlPoints: Error in line ") + message);
        EXPECT_EQ(ReadText(text, false).messages, "");
    }
}

// About 1.5 MB (several refills of the read buffer) of lines of every length
// up to three times 1022 bytes, read as fgets with a count of 1023 cuts them.
// The blocks come from the heap, so that an overrun lands on the records.
TEST(ReadControlPoints, CutsLinesAsFgetsDoesAcrossBufferRefills) {
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    std::mt19937 random(3);
    std::string content;
    while (content.size() < 1500000) {
        char numbers[160];
        std::snprintf(numbers, sizeof numbers, "%.6f %.6f %d %.3e", random() / 7e3,
                      -(random() / 9e3), static_cast<int>(random() % 999), random() / 3.0);
        std::string line = numbers;
        for (unsigned pad = random() % 100 < 93 ? random() % 40 : random() % 3100;
             line.size() < pad;)
            line.append(1022 - line.size() % 1022, ' ') += numbers;
        content += line + (random() % 3 ? "\n" : "\r\n");
    }
    const std::string path = WriteTempFile("long.txt", content);
    std::vector<double> expected;
    std::FILE *file = std::fopen(path.c_str(), "rb");
    char line[1024];
    for (double v[4]; std::fgets(line, 1023, file) != nullptr;)
        if (ScanLineNumbers(line, '.', v) == 0)
            expected.insert(expected.end(), v, v + 4);
    std::fclose(file);
    const long before = WorkingAllocationCount();
    const ReadResult r = ReadPath(path);
    // Blocks of 16 records doubling up to 65536, then more of 65536; four arrays.
    long blocks = 1;
    for (long held = 16, size = 16; held < r.n; held += size, ++blocks)
        size = std::min(2 * size, 65536L);
    EXPECT_EQ(WorkingAllocationCount() - before, blocks + 4);
    EXPECT_TRUE(r.points == expected && r.n > 5000) << r.n;
    EXPECT_EQ(ReadText("").n, 0);
}

TEST(ReadControlPoints, FilesThatCannotBeReadAndFailedAllocations) {
    const std::string missing = testing::TempDir() + "no_such_points_file.txt",
                      box = "16 ReadControlPoints: ";
    EXPECT_EQ(ReadPath(missing).messages, box + "Cannot locate control points file.");
    EXPECT_EQ(ReadPath(testing::TempDir()).messages, box + "Cannot open control points file.");
    EXPECT_EQ(ReadPath(missing, false).messages + ReadPath(testing::TempDir(), false).messages, "");
    // 40 points: a block of 16 records, one of 32, then XP, YP, XI and YI.
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += std::to_string(i) + " 2 3 4\n";
    const std::string path = WriteTempFile("alloc.txt", text);
    const char *what[] = {"control point", "control point", "XP array",
                          "YP array",      "XI array",      "YI array"};
    for (int k = 1; k <= 7; ++k) {
        for (const bool show : {true, false}) {
            FailWorkingAllocation(k);
            const ReadResult r = ReadPath(path, show);
            FailWorkingAllocation(0);
            EXPECT_EQ(r.result, k == 7) << k;
            EXPECT_EQ(r.messages, !show || k == 7 ? ""
                                                  : box + "Out of memory: cannot allocate " +
                                                        what[k - 1] + ".");
            EXPECT_TRUE(k < 7 || (r.n == 40 && r.points[156] == 39.0));
        }
    }
}

} // namespace
