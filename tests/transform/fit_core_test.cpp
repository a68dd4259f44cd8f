// The fitting request without the Win32 shell: the number scanner against
// glibc's correctly rounded strtod, the reader against fgets, FormatFixed6
// and the residuals report against snprintf, and every failure of a fit with
// its messages and the outputs it leaves alone.
#include "frame/messages.h"
#include "frame/string_table.h"
#include "transform/allocation.h"
#include "transform/control_points.h"
#include "transform/fit_entry.h"
#include "transform/number_scan.h"
#include "transform/residuals.h"
#include "tests/transform/format_samples.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <sys/resource.h>

#include <algorithm>
#include <csignal>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

// Every message shown, one a line: "flags caption: text", or the text of a
// line error with its number in place of the template's %li.
std::string g_messages;

void ShowMessage(unsigned textId, unsigned captionId, unsigned flags) {
    g_messages += std::to_string(flags) + " " + LibraryString(captionId) + ": " +
                  LibraryString(textId) + "\n";
}

void ShowLineError(unsigned templateId, long number) {
    std::string text = LibraryString(templateId);
    g_messages += text.replace(text.find("%li"), 3, std::to_string(number)) + "\n";
}

namespace {

// A file under this run's own temporary folder, removed with the folder.
std::string WriteTempFile(const std::string &name, const std::string &content) {
    const std::string path = testing::TempDir() + name;
    std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
    return path;
}

std::string ReadWholeFile(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), {}};
}

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

TEST(ScanNumber, FollowsTheGrammarAndAgreesWithStrtod) {
    const std::string
        z = std::string(400, '0'),
        rows[] = {
            "1|~+.5|~5.|~-0|~1E+3|~2.5e-1|,~1|e~1|e+~1.5|E-x~0|x10~1|-2~1|,5~inf~nan~.~-~+.e5~",
            "1e400|~-1e-400|~1e-23|~1e23|~1e22|~1e-22|~123456789e-22|~ \t\r\n\v\f-2.5|x",
            "9007199254740993|~4.9406564584124654e-324|~9007199254740993e-22|~9007199254740992|",
            "18446744073709551617|~1e99999999999999999999|~0e99999999999999999999|",
            "0.1000000000000000055511151231257827021181583404541015625|~-1e-99999999999999999999|",
            "12345678901234567890e290|",
            // Beyond the range by the position of the first digit, not the exponent.
            "1" + z + "e-10|~0." + z + "1e10|~-1" + z.substr(385) + "0e-324|~10." + z.substr(385) +
                "1e308|~0." + z + z + z + z.substr(71) + "1e1000|"};
    for (std::string row : rows)
        for (std::size_t from = 0, to = 0; to != std::string::npos; from = to + 1)
            ExpectScan(row.substr(from, (to = row.find('~', from)) - from));
    for (const char *row : {"-0,0000000000000001e10|", ".5", "1,5e-400|"})
        ExpectScan(row, ',');
    EXPECT_EQ(std::string(FindNumberStart("abc;, x-1")) + FindNumberStart("x.5"), "-1.5");
    EXPECT_EQ(FindNumberStart("\t\r\n e E/:"), nullptr);
    // Lines: the numbers found past any separators, or where the first one missing is.
    double v[4] = {};
    EXPECT_TRUE(ScanLineNumbers(" \t-1,5;x2 /+,5e1|:7\r\n", ',', v) == 0 && v[0] == -1.5 &&
                v[1] == 2 && v[2] == 5 && v[3] == 7);
    // Random numbers of the grammar with a full stop or a comma as the decimal
    // point, each followed by a separator.
    std::mt19937 random(1);
    for (int trial = 0; trial < 60000 && !HasFailure(); ++trial) {
        const char point = ".,"[trial % 2];
        std::string text(random() % 4 ? 0 : 1, "-+"[random() % 2]);
        for (int part = 0; part < 2 && (part == 0 || random() % 2); ++part)
            for (int i = random() % 25 + 1; i > 0; --i)
                text += i == 1 && part == 1 ? point : static_cast<char>('0' + random() % 10);
        if (random() % 2)
            text += "eE"[random() % 2] + std::string(random() % 3 ? 0 : 1, "-+"[random() % 2]) +
                    std::to_string(random() % 700);
        text += " ,;:x/e-"[random() % 8];
        std::string copy = text;
        std::replace(copy.begin(), copy.end(), point, '.');
        char *end = nullptr;
        std::strtod(copy.c_str(), &end);
        ExpectScan(end == copy.c_str() ? text : text.insert(end - copy.c_str(), "|"), point);
    }
}

// The points read (x_old, y_old, x_new, y_new each), or {-1} on failure.
std::vector<double> Read(const std::string &path) {
    long n = -1;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    std::vector<double> points;
    const long result = ReadControlPoints(path.c_str(), &n, &XI, &YI, &XP, &YP, true);
    for (long i = 0; result == 1 && i < n; ++i)
        points.insert(points.end(), {XI[i], YI[i], XP[i], YP[i]});
    FreeCoordinateArrays(XP, YP, XI, YI);
    return result == 1 ? points : std::vector<double>{-1};
}

// About 1.5 MB (several refills of the read buffer) of lines of every length
// up to three times 1022 bytes, read as fgets with a count of 1023 cuts them.
// The blocks come from the heap, so that an overrun lands on the records.
TEST(ReadControlPoints, CutsLinesAsFgetsDoesAndKeepsNothing) {
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
    EXPECT_TRUE(Read(path) == expected && n == 9381) << n;
    // Ten blocks of records, 16 doubling to 8192, then the four arrays.
    EXPECT_EQ(WorkingAllocationCount() - before, 14);
    // A host reads many files, good and bad: nothing of a read stays allocated.
    const std::string bad = WriteTempFile("bad.txt", content.substr(0, 200000) + "\nx\n");
    const std::size_t held = mallinfo2().uordblks + mallinfo2().hblkhd;
    for (int i = 0; i < 40; ++i)
        Read(i % 2 ? bad : WriteTempFile("p.txt", "1 2 3 4\n"));
    EXPECT_LT(mallinfo2().uordblks + mallinfo2().hblkhd, held + 1000000);
}

// What the Windows runtime's "%.6f" prints for a finite value, from glibc's:
// the same exact digits, but an exact tie at the seventh decimal (an odd
// multiple of 2^-7) goes away from zero, which glibc gives when rounding
// towards the tie's side.
std::string Printf6(double value, char point = '.') {
    if (std::fabs(std::fmod(std::ldexp(value, 7), 2.0)) == 1.0)
        std::fesetround(value > 0 ? FE_UPWARD : FE_DOWNWARD);
    char out[400];
    std::snprintf(out, sizeof out, "%.6f", value);
    std::fesetround(FE_TONEAREST);
    *std::strchr(out, '.') = point;
    return out;
}

TEST(FormatFixed6, GivesTheWindowsRuntimesTextForEveryKindOfDouble) {
    // Known outputs of the runtime, each after the bits of its value: NaN and
    // infinity (any NaN with a sign is "indefinite"), a tie, the comma.
    std::istringstream known(
        "7ff8000000000000 1.#QNAN0 fff8000000000000 -1,#IND00 7ff0000000000000 1.#INF00 "
        "fff0000000000000 -1.#INF00 7ff0000000000001 1.#QNAN0 fff0000000000001 -1.#IND00 "
        "3f80000000000000 0,007813");
    char out[400];
    for (std::string hex, text; known >> hex >> text;) {
        const std::uint64_t bits = std::stoull(hex, nullptr, 16);
        double value;
        std::memcpy(&value, &bits, sizeof value);
        const std::size_t length = FormatFixed6(value, text[text.find_first_of(".,")], out);
        EXPECT_TRUE(out == text && length == text.size()) << out;
    }
    for (const double value : FormatSamples(9, 100000)) {
        const char point = value < 0.1 ? ',' : '.';
        const std::size_t length = FormatFixed6(value, point, out);
        ASSERT_TRUE(!std::isfinite(value) ||
                    (out == Printf6(value, point) && length == std::strlen(out)))
            << value;
    }
}

// Reports around and far beyond the sizes at which point lines are handed to
// the stream in pieces, over a longer file, against one built with Printf6;
// then each on a file that takes only its first `limit` bytes (the process's
// file size limit): the report fails at the line holding the first byte
// refused, whether it fits in the stream's buffer or not, and the file keeps
// what it took.
TEST(WriteResiduals, WritesEveryLineAndFailsAtTheLineWhoseBytesWereRefused) {
    std::mt19937 random(11);
    const std::string path = WriteTempFile("report.txt", std::string(500000, 'x'));
    rlimit saved;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto savedHandler = std::signal(SIGXFSZ, SIG_IGN);
    const std::string error = "16 WriteResiduals: Error while writing ";
    for (const long n : {0L, 1L, 301L, 5000L}) {
        std::vector<double> TX(n), TY(n);
        std::string report =
            "Data points converted: " + std::to_string(n) + "\nResiduals:\nXRi YRi PointRMS\n";
        double sum = 0;
        for (long i = 0; i < n; ++i) {
            TX[i] = std::ldexp(random() / 2e9 - 1, random() % 50 - 20);
            TY[i] = i % 97 ? std::ldexp(random() / 2e9 - 1, random() % 50 - 20) : 0.0;
            const double squares = TX[i] * TX[i] + TY[i] * TY[i];
            report += Printf6(float(TX[i])) + " " + Printf6(float(TY[i])) + " " +
                      Printf6(float(std::sqrt(squares))) + "\n";
            sum += squares;
        }
        const double total = n ? std::sqrt(sum / n) : 0.0;
        EXPECT_EQ(TotalRms(n, TX.data(), TY.data()), total);
        const std::size_t points = report.size();
        report += "Total RMS: " + Printf6(float(total)) + "\n";
        const std::size_t totalEnd = report.size();
        report +=
            "Standard deviation in x: 1234.567800\nStandard deviation in y: 10000000.000000\n";
        for (const std::size_t limit : {std::size_t{0}, points / 2, points - 1, points,
                                        totalEnd - 1, totalEnd, report.size() - 1, report.size()}) {
            const std::string what = limit < points     ? "data"
                                     : limit < totalEnd ? "Total RMS"
                                                        : "standard deviations";
            g_messages.clear();
            const rlimit limited = {limit, saved.rlim_max};
            ASSERT_EQ(setrlimit(RLIMIT_FSIZE, limit < report.size() ? &limited : &saved), 0);
            const long result =
                WriteResiduals(n, TX.data(), TY.data(), path.c_str(), true, 1234.5678, 1e7);
            setrlimit(RLIMIT_FSIZE, &saved);
            EXPECT_EQ(g_messages,
                      limit < report.size() ? error + what + " into residuals file.\n" : "")
                << n << " " << limit;
            EXPECT_TRUE(result == (limit == report.size()) &&
                        ReadWholeFile(path) == report.substr(0, limit))
                << n << " " << limit;
        }
    }
    std::signal(SIGXFSZ, savedHandler);
}

int g_enter = 0, g_leave = 0;
const ReportLocale kCountingLocale = {[] { ++g_enter; }, [] { ++g_leave; }};
const char *kAffineSix = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
                         "5 5 1013.1 2011.3\n20 5 1042.5 2005\n";

// Each failure once: bad lines after two good ones (where lines end: at NUL,
// and after 1022 bytes, the longest line the reader takes),
// files that cannot be read, every allocation of a fit of forty points, and
// reports that cannot be written (the coefficients are out already).
TEST(RunTransformFit, FailuresShowTheirMessagesAndLeaveTheOutputsAsTheyWere) {
    std::string forty;
    for (int i = 0; i < 40; ++i)
        forty += std::to_string(i) + " " + std::to_string(i % 7) + " 1 2\n";
    const std::string good = "10 20 30 40\n5 6 7 8\n", in = "Error in line ",
                      file = "16 ReadControlPoints: Cannot ", memory = "Out of memory: cannot ";
    struct Row {
        std::string points;
        long failAllocation;
        const char *report;
        std::string messages;
    };
    std::vector<Row> rows = {
        {good + "x 1 2 3 4\n", 0, "r.txt", in + "3 of input data file: missing x_old coordinate"},
        {good + "1 2 3 +e4\n", 0, "r.txt", in + "3 of input data file: missing y_new coordinate"},
        {good + std::string("1 2\0 3 4\n", 9), 0, "r.txt",
         in + "3 of input data file: x_new not found"},
        {good + "1 2 3 4" + std::string(1015, ' ') + "\n", 0, "r.txt",
         in + "4 of input data file: missing x_old coordinate"},
        {"/no/such/file.txt", 0, "r.txt", file + "locate control points file."},
        {"/", 0, "r.txt", file + "open control points file."},
        {kAffineSix, 0, "no_such_dir/r.txt",
         "16 WriteResiduals: Cannot create residuals file.\n16 CalculateTransformParams: Cannot "
         "create file to store residuals\n"}};
    const char *what[] = {"",         "control point", "control point", "XP array", "YP array",
                          "XI array", "YI array",      "TX array",      "TY array"};
    for (long k = 1; k <= 8; ++k) // every allocation of the fit in turn
        rows.push_back({forty, k, "r.txt",
                        (k < 7 ? "16 ReadControlPoints: " : "16 CalculateTransformParams: ") +
                            memory + "allocate " + what[k] + "."});
    for (const auto &row : rows) { // points starting with '/' are paths
        const std::string points =
            row.points[0] == '/' ? row.points : WriteTempFile("entry_points.txt", row.points);
        const bool fitted = row.report != std::string("r.txt");
        const std::string report = WriteTempFile(row.report, "");
        long count = -7;
        std::vector<double> params(25, -1.0);
        g_messages.clear();
        g_enter = g_leave = 0;
        FailWorkingAllocation(row.failAllocation);
        const long result = RunTransformFit(points.c_str(), 3, &count, params.data(),
                                            report.c_str(), true, kCountingLocale, nullptr);
        FailWorkingAllocation(0);
        EXPECT_EQ(g_messages, fitted ? row.messages : row.messages + "\n");
        EXPECT_TRUE(result == 0 && ReadWholeFile(report).empty() && g_enter == fitted &&
                    g_leave == g_enter);
        EXPECT_TRUE(count == (fitted ? 6 : -7) && (params[2] == -1.0) != fitted);
    }
    // Without a model the coefficients are the preset count of zeros.
    long count = 3;
    double params[4] = {-1, -1, -1, -1};
    EXPECT_TRUE(RunTransformFit(WriteTempFile("p7.txt", kAffineSix).c_str(), 7, &count, params,
                                nullptr, true, kCountingLocale, nullptr) == 1 &&
                count == 3 && params[2] == 0.0 && params[3] == -1.0);
}

// Working blocks from a byte to far beyond the huge-page size can be filled
// to their last byte (the sanitizer build checks the bounds) and released.
TEST(AllocateWorkingMemory, BlocksOfEverySizeHoldWhatWasAskedFor) {
    for (const std::size_t bytes : {0, 1, 2097151, 2097152, 2097153, 3145728, 17825797}) {
        void *block = AllocateWorkingMemory(bytes);
        ASSERT_NE(block, nullptr) << bytes;
        std::free(std::memset(block, 0xa5, bytes));
    }
}

} // namespace
