#include "transform/control_points.h"

#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <string>
#include <vector>

namespace {

struct ReadResult {
    long result = -1;
    long n = -1;
    std::vector<double> XI, YI, XP, YP;
    std::vector<CapturedMessage> messages;
};

// The read showed exactly this one message under its caption.
void ExpectMessage(const ReadResult &r, const std::string &text, unsigned flags) {
    EXPECT_EQ(r.result, 0) << text;
    ASSERT_EQ(r.messages.size(), 1u) << text;
    EXPECT_EQ(r.messages[0].text, text);
    EXPECT_EQ(r.messages[0].caption, "ReadControlPoints");
    EXPECT_EQ(r.messages[0].flags, flags);
}

ReadResult ReadPath(const std::string &path, bool show = true) {
    CapturedMessages().clear();
    ReadResult r;
    double *XI = nullptr, *YI = nullptr, *XP = nullptr, *YP = nullptr;
    r.result = ReadControlPoints(path.c_str(), &r.n, &XI, &YI, &XP, &YP, show);
    if (r.result == 1) {
        r.XI.assign(XI, XI + r.n);
        r.YI.assign(YI, YI + r.n);
        r.XP.assign(XP, XP + r.n);
        r.YP.assign(YP, YP + r.n);
        FreeCoordinateArrays(XP, YP, XI, YI);
    } else {
        EXPECT_TRUE(XI == nullptr && YI == nullptr && XP == nullptr && YP == nullptr);
    }
    r.messages = CapturedMessages();
    return r;
}

ReadResult ReadText(const std::string &content, bool show = true) {
    return ReadPath(WriteTempFile("points.txt", content), show);
}

TEST(ReadControlPoints, LinesThatHoldAPoint) {
    const ReadResult r =
        ReadText("1 2 3 4\n1,2,3,4\r\n\v \t 1\t2\t3\t4 metres\n1-2-3-4\n1 2 3 4 5 6\n"
                 "1;2 => 3;4 m\n0x10 2 3 4\n+1 +2 -.5 .25\n1e 2e, 3E-2 4");
    const std::vector<double> XI = {1, 1, 1, 1, 1, 1, 0, 1, 1}, YI = {2, 2, 2, -2, 2, 2, 10, 2, 2},
                              XP = {3, 3, 3, -3, 3, 3, 2, -0.5, 0.03},
                              YP = {4, 4, 4, -4, 4, 4, 3, 0.25, 4};
    EXPECT_TRUE(r.result == 1 && r.messages.empty());
    EXPECT_EQ(r.XI, XI);
    EXPECT_EQ(r.YI, YI);
    EXPECT_EQ(r.XP, XP);
    EXPECT_EQ(r.YP, YP);
}

TEST(ReadControlPoints, FirstBadLineStopsTheRead) {
    const std::string good = "10 20 30 40\n5 6 7 8\n";
    // File, then the message after "Error in line ".
    const std::pair<std::string, const char *> files[] = {
        {good + "x 1 2 3 4\n", "3 of input data file: missing x_old coordinate"},
        {good + "\n", "3 of input data file: missing x_old coordinate"},
        {good + "inf 1 2 3\n", "3 of input data file: missing x_old coordinate"},
        {good + "1\n", "3 of input data file: y_old not found"},
        {good + "1 -\n", "3 of input data file: missing y_old coordinate"},
        {good + "1 2\n", "3 of input data file: x_new not found"},
        {good + "1 2 .\n", "3 of input data file: missing x_new coordinate"},
        {good + "1 2 3\n", "3 of input data file: y_new not found"},
        {good + "1 2 3 +e4\n", "3 of input data file: missing y_new coordinate"},
        {good + "1;2 -> 3;4\n", "3 of input data file: missing x_new coordinate"},
        {good + "1 2 3 4\n\n", "4 of input data file: missing x_old coordinate"},
        {"\r\n", "1 of input data file: missing x_old coordinate"},
        {std::string("1 2 3 4\n1 2\0 3 4\n", 18), "2 of input data file: x_new not found"},
        // 1022 bytes are read at most: a longer line ends in a line of its own.
        {"1 2 3 4" + std::string(1015, ' ') + "\n",
         "2 of input data file: missing x_old coordinate"}};
    for (const auto &[text, message] : files) {
        ExpectMessage(ReadText(text), std::string("Error in line ") + message, 0);
        EXPECT_TRUE(ReadText(text, false).messages.empty());
    }
}

TEST(ReadControlPoints, ReadsEveryPointInFileOrder) {
    // Large blocks from the heap rather than from mappings of their own: a
    // read buffer overrun then lands on the records behind it.
    mallopt(M_MMAP_THRESHOLD, 16 << 20);
    std::string text;
    const int n = 200000;
    for (int i = 0; i < n; ++i)
        text += std::to_string(i) + " " + std::to_string(-i) + " " + std::to_string(2 * i) + " " +
                std::to_string(i) + ".5" + (i < n - 1 ? "\n" : "");
    const long before = WorkingAllocationCount();
    ReadResult r = ReadText(text);
    // Blocks of 16, 32, ... 65536 records, two more of 65536, four arrays.
    EXPECT_EQ(WorkingAllocationCount() - before, 19);
    ASSERT_EQ(r.n, n);
    for (int i = 0; i < n; ++i)
        ASSERT_TRUE(r.XI[i] == i && r.YI[i] == -i && r.XP[i] == 2 * i && r.YP[i] == i + 0.5) << i;
    r = ReadText("");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.n, 0);
    // 1021 characters and a line end fit one read; the rest of a longer line
    // is read as the next line.
    r = ReadText("1 2 3 4" + std::string(1014, ' ') + "\n" + "1 2 3 4" + std::string(1015, ' ') +
                 "9 8 7 6\n");
    ASSERT_EQ(r.n, 3);
    EXPECT_EQ(r.XI[2], 9.0);
    EXPECT_EQ(r.YP[2], 6.0);
}

TEST(ReadControlPoints, FilesThatCannotBeReadAndFailedAllocations) {
    const std::string missing = testing::TempDir() + "no_such_points_file.txt";
    ExpectMessage(ReadPath(missing), "Cannot locate control points file.", 0x10);
    ExpectMessage(ReadPath(testing::TempDir()), "Cannot open control points file.", 0x10);
    EXPECT_TRUE(ReadPath(missing, false).messages.empty());
    EXPECT_TRUE(ReadPath(testing::TempDir(), false).messages.empty());

    // Allocations of a read of 40 points: the first block (16 records), the
    // block of 32, then XP, YP, XI and YI.
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "1 2 3 4\n";
    const std::string path = WriteTempFile("alloc.txt", text);
    const char *expected[] = {"control point.", "control point.", "XP array.",
                              "YP array.",      "XI array.",      "YI array."};
    for (int k = 1; k <= 7; ++k) {
        for (const bool show : {true, false}) {
            FailWorkingAllocation(k);
            const ReadResult r = ReadPath(path, show);
            FailWorkingAllocation(0);
            if (k == 7)
                EXPECT_EQ(r.n, 40);
            else if (show)
                ExpectMessage(r, std::string("Out of memory: cannot allocate ") + expected[k - 1],
                              0x10);
            else
                EXPECT_TRUE(r.result == 0 && r.messages.empty()) << k;
        }
    }
}

} // namespace
