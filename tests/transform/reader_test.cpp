// Reading control points: the number scanner against glibc's correctly
// rounded strtod, the line scanner against the one-number routines it is
// made of, and the reader against fgets, with every failure and its message.
#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/number_scan.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <random>

namespace {

// Scans row (the expected stop marked by '|'; none: nothing converts) and
// compares the value's bits with strtod's for the text before the stop.
void ExpectScan(std::string row, char point = '.') {
    const std::size_t stop = row.find('|');
    row.erase(std::min(stop, row.size()), 1);
    std::string prefix = row.substr(0, stop);
    std::replace(prefix.begin(), prefix.end(), point, '.');
    double value = -7, expected = stop > row.size() ? -7 : std::strtod(prefix.c_str(), nullptr);
    const char *end = ScanNumber(row.c_str(), point, &value);
    EXPECT_EQ(end, stop > row.size() ? nullptr : row.c_str() + stop) << row;
    EXPECT_EQ(std::memcmp(&value, &expected, sizeof value), 0) << row << ": " << value;
}

// ScanLineNumbers against the one-number routines; returns its result.
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
    const std::string
        z = std::string(400, '0'),
        rows[] = {
            "1|~+.5|~5.|~-0|~1E+3|~2.5e-1|,~1|e~1|e+~1.5|E-x~0|x10~1|-2~1|,5~inf~nan~.~-~+.e5~~"
            "1e400|~",
            "-1e-400|~1e-23|~1e23|~1e22|~1e-22|~123456789e-22|~ "
            "\t\r\n\v\f-2.5|x~9007199254740993|~",
            "4.9406564584124654e-324|~9007199254740993e-22|~9007199254740992|~18446744073709551617|"
            "~",
            "0.1000000000000000055511151231257827021181583404541015625|~1e99999999999999999999|~",
            "0e99999999999999999999|~-1e-99999999999999999999|~12345678901234567890e290|~",
            // Beyond the range by the position of the first digit, not the exponent.
            "1" + z + "e-10|~0." + z + "1e10|~-1" + z.substr(385) + "0e-324|~10." + z.substr(385) +
                "1e308|"};
    for (std::string row : rows)
        for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1)
            ExpectScan(row.substr(from, (to = row.find('~', from)) - from));
    for (const char *row :
         {"-0,0000000000000001e10|", ".5", "1,5e-400|", "0,0000000000000001e-310|"})
        ExpectScan(row, ',');
    EXPECT_EQ(std::string(FindNumberStart("abc;, x-1")) + FindNumberStart("x.5"), "-1.5");
    EXPECT_EQ(FindNumberStart("\t\r\n e E/:"), nullptr);
    const char *lines[] = {"1 2 3 4\n",   "1-2-3-4", " \t1e3x2,3;4 tail 5\r\n",
                           "\v1 2 3 4e+", "",        "  x 1 2 3",
                           "1",           "1 .",     "1 2",
                           "1 2 -",       "1 2 3\n", "1 2 3 +",
                           "1 2 3 .e5"};
    const int failures[] = {0, 0, 0, 0, 1, 1, 2, 3, 4, 5, 6, 7, 7};
    for (int i = 0; i < 13; ++i)
        EXPECT_EQ(ExpectLine(lines[i], '.'), failures[i]) << lines[i];
}

// Random numbers of the grammar, alone and several to a line, with a full
// stop or a comma as the decimal point.
TEST(ScanNumber, AgreesWithStrtodOnRandomNumbersAndLines) {
    std::mt19937 random(1);
    for (int trial = 0; trial < 60000 && !HasFailure(); ++trial) {
        const char point = ".,"[trial / 2 % 2];
        std::string line = trial % 3 ? "" : " \t";
        for (int k = trial % 2 ? 1 : random() % 7; k > 0; --k) {
            std::string text = std::string(random() % 4 ? 0 : 1, "-+"[random() % 2]);
            for (int part = 0; part < 2 && (part == 0 || random() % 2); ++part)
                for (int i = random() % 25 + 1; i > 0; --i)
                    text += i == 1 && part == 1 ? point : static_cast<char>('0' + random() % 10);
            if (random() % 2)
                text += "eE"[random() % 2] + std::string(random() % 3 ? 0 : 1, "-+"[random() % 2]) +
                        std::to_string(random() % 700);
            line += text + " ,;:x/e-"[random() % 8];
        }
        std::string copy = line;
        std::replace(copy.begin(), copy.end(), point, '.');
        char *end = nullptr;
        std::strtod(copy.c_str(), &end);
        if (trial % 2)
            ExpectScan(end == copy.c_str() ? line : line.insert(end - copy.c_str(), "|"), point);
        else
            ExpectLine(line + "\r\n", point);
    }
}

// The points read (x_old, y_old, x_new, y_new each) or, on failure, the
// messages shown ("flags caption: text").
std::vector<double> Read(const std::string &path, std::string *messages = nullptr) {
    CapturedMessages().clear();
    long n = -1;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    std::vector<double> points;
    const long result = ReadControlPoints(path.c_str(), &n, &XI, &YI, &XP, &YP, messages);
    for (long i = 0; result == 1 && i < n; ++i)
        points.insert(points.end(), {XI[i], YI[i], XP[i], YP[i]});
    EXPECT_TRUE(result == 1 || (XI == nullptr && YI == nullptr && XP == nullptr && YP == nullptr));
    EXPECT_TRUE(result == 1 || CapturedMessages().size() == (messages != nullptr));
    FreeCoordinateArrays(XP, YP, XI, YI);
    for (const CapturedMessage &m : CapturedMessages())
        *messages += std::to_string(m.flags) + " " + m.caption + ": " + m.text;
    return result == 1 ? points : std::vector<double>{-1};
}

TEST(ReadControlPoints, ReadsLinesWithPointsAndStopsAtTheFirstBadOne) {
    EXPECT_EQ(
        Read(WriteTempFile("p.txt", "1 2 3 4\n1,2,3,4\r\n \t 1\t2\t3\t4 m\n1-2-3-4\n"
                                    "1;2 => 3;4 5\n0x10 2 3 4\n+1 +2 -.5 .25\n1e 2e, 3E-2 4")),
        (std::vector<double>{1, 2, 3, 4, 1, 2,  3, 4, 1, 2, 3,   4,   1, -2, -3,  -4,
                             1, 2, 3, 4, 0, 10, 2, 3, 1, 2, -.5, .25, 1, 2,  .03, 4}));
    // A bad line of each kind after two good ones, then where lines end: at
    // NUL, and after 1022 bytes, the longest line the reader takes.
    const char *bad[] = {"x 1 2 3 4", "1",         "1 -",       "1 2",       "1 2 .",
                         "1 2 3",     "1 2 3 +e4", "1 2 3 4\n", "1 2\0 3 4", "1 2 3 4"};
    const char *what[] = {"3missing x_old", "3y_old not",    "3missing y_old", "3x_new not",
                          "3missing x_new", "3y_new not",    "3missing y_new", "4missing x_old",
                          "3x_new not",     "4missing x_old"};
    for (int k = 0; k < 10; ++k) {
        std::string text =
            "10 20 30 40\n5 6 7 8\n" + std::string(bad[k], k == 8 ? 9 : std::strlen(bad[k]));
        text += k == 8 ? "\n" : k == 9 ? std::string(1015, ' ') + "\n" : "\n";
        std::string messages;
        EXPECT_EQ(Read(WriteTempFile("p.txt", text), &messages), std::vector<double>{-1});
        EXPECT_EQ(messages.substr(0, 56 + std::strlen(what[k])),
                  "0 ReadControlPoints: Error in line " + std::string(what[k], 1) +
                      " of input data file: " + (what[k] + 1));
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
    for (double v[4];
         std::fgets(line, 1023, file) != nullptr && ScanLineNumbers(line, '.', v) == 0;)
        expected.insert(expected.end(), v, v + 4);
    std::fclose(file);
    const long before = WorkingAllocationCount(), n = long(expected.size() / 4);
    EXPECT_TRUE(Read(path) == expected && n > 5000) << n;
    // Blocks of 16 records doubling up to 65536, then more of 65536; four arrays.
    long blocks = 5;
    for (long held = 16, size = 16; held < n; held += size = std::min(2 * size, 65536L))
        ++blocks;
    EXPECT_EQ(WorkingAllocationCount() - before, blocks);
    EXPECT_TRUE(Read(WriteTempFile("empty.txt", "")).empty());
}

TEST(ReadControlPoints, FilesThatCannotBeReadAndFailedAllocations) {
    std::string text, messages;
    for (int i = 0; i < 40; ++i)
        text += std::to_string(i) + " 2 3 4\n";
    // 40 points: a block of 16 records, one of 32, then XP, YP, XI and YI.
    const std::string paths[] = {testing::TempDir() + "no_such_file.txt", testing::TempDir(),
                                 WriteTempFile("alloc.txt", text)};
    const char *what[] = {"locate",   "open",     "control point", "control point",
                          "XP array", "YP array", "XI array",      "YI array"};
    for (int k = 0; k < 8; ++k) {
        FailWorkingAllocation(k < 2 ? 0 : k - 1);
        EXPECT_EQ(Read(paths[std::min(k, 2)]), std::vector<double>{-1});
        FailWorkingAllocation(k < 2 ? 0 : k - 1);
        EXPECT_EQ(Read(paths[std::min(k, 2)], &(messages = "")), std::vector<double>{-1});
        const std::string w = what[k];
        EXPECT_EQ(messages,
                  "16 ReadControlPoints: " + (k < 2 ? "Cannot " + w + " control points file."
                                                    : "Out of memory: cannot allocate " + w + "."));
    }
    FailWorkingAllocation(7);
    EXPECT_EQ(Read(paths[2])[156], 39.0);
    FailWorkingAllocation(0);
    // A host reads many files: nothing of a read stays allocated.
    const auto inUse = [] { return mallinfo2().uordblks + mallinfo2().hblkhd; };
    const std::size_t before = inUse();
    for (int i = 0; i < 50; ++i)
        Read(paths[2]);
    EXPECT_LT(inUse(), before + 1000000);
}

} // namespace
