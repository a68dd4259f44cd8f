#include "transform/control_points.h"

#include "tests/transform/captured_messages.h"
#include "transform/allocation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace {

struct ReadResult {
    long result = -1;
    long n = -1;
    std::vector<double> XI, YI, XP, YP;
    std::vector<CapturedMessage> messages;
};

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
    }
    r.messages = CapturedMessages();
    return r;
}

ReadResult ReadText(const std::string &content, bool show = true) {
    return ReadPath(WriteTempFile("points.txt", content), show);
}

struct GoodLine {
    const char *text;
    double x_old, y_old, x_new, y_new;
};

class ControlPointLines : public testing::TestWithParam<GoodLine> {};

TEST_P(ControlPointLines, GiveOnePoint) {
    const GoodLine &c = GetParam();
    const ReadResult r = ReadText(c.text);
    ASSERT_EQ(r.result, 1) << c.text;
    ASSERT_EQ(r.n, 1);
    EXPECT_EQ(r.XI[0], c.x_old);
    EXPECT_EQ(r.YI[0], c.y_old);
    EXPECT_EQ(r.XP[0], c.x_new);
    EXPECT_EQ(r.YP[0], c.y_new);
    EXPECT_TRUE(r.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Grammar, ControlPointLines,
    testing::Values(GoodLine{"1 2 3 4\n", 1, 2, 3, 4}, GoodLine{"1,2,3,4\r\n", 1, 2, 3, 4},
                    GoodLine{"  \t 1\t2\t3\t4 metres\n", 1, 2, 3, 4},
                    GoodLine{"1-2-3-4\n", 1, -2, -3, -4}, GoodLine{"1e3 2 3 4", 1000, 2, 3, 4},
                    GoodLine{"1 2 3 4 5 6\n", 1, 2, 3, 4}, GoodLine{"1;2 => 3;4 m\n", 1, 2, 3, 4},
                    GoodLine{"0x10 2 3 4\n", 0, 10, 2, 3},
                    GoodLine{"+1 +2 -.5 .25\n", 1, 2, -0.5, 0.25},
                    GoodLine{"1e 2e, 3E-2 4\n", 1, 2, 0.03, 4},
                    GoodLine{"\v1 2 3 4\n", 1, 2, 3, 4}));

struct BadLine {
    const char *text;
    const char *message;
};

class ControlPointErrors : public testing::TestWithParam<BadLine> {};

TEST_P(ControlPointErrors, StopWithTheLineMessage) {
    const BadLine &c = GetParam();
    const ReadResult r = ReadText(std::string("10 20 30 40\n5 6 7 8\n") + c.text);
    EXPECT_EQ(r.result, 0) << c.text;
    ASSERT_EQ(r.messages.size(), 1u) << c.text;
    EXPECT_EQ(r.messages[0].text, c.message) << c.text;
    EXPECT_EQ(r.messages[0].caption, "ReadControlPoints");
    EXPECT_EQ(r.messages[0].flags, 0u);
}

#define LINE3(what) "Error in line 3 of input data file: " what
INSTANTIATE_TEST_SUITE_P(
    Grammar, ControlPointErrors,
    testing::Values(BadLine{"x 1 2 3 4\n", LINE3("missing x_old coordinate")},
                    BadLine{"\n", LINE3("missing x_old coordinate")},
                    BadLine{"inf 1 2 3\n", LINE3("missing x_old coordinate")},
                    BadLine{"nan 1 2 3\n", LINE3("missing x_old coordinate")},
                    BadLine{"1\n", LINE3("y_old not found")},
                    BadLine{"1 -\n", LINE3("missing y_old coordinate")},
                    BadLine{"1 2\n", LINE3("x_new not found")},
                    BadLine{"1 2 .\n", LINE3("missing x_new coordinate")},
                    BadLine{"1 2 3\n", LINE3("y_new not found")},
                    BadLine{"1 2 3 -\n", LINE3("missing y_new coordinate")},
                    BadLine{"1 2 3 +e4\n", LINE3("missing y_new coordinate")},
                    BadLine{"1;2 -> 3;4\n", LINE3("missing x_new coordinate")},
                    BadLine{"1 2 3 4\n\n",
                            "Error in line 4 of input data file: missing x_old coordinate"}));

TEST(ReadControlPoints, NulInsideALineEndsItsText) {
    const ReadResult r = ReadText(std::string("1 2 3 4\n1 2\0 3 4\n", 18));
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Error in line 2 of input data file: x_new not found");
}

TEST(ReadControlPoints, KeepsFileOrderAndReadsALastLineWithoutLineEnd) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += std::to_string(i) + " " + std::to_string(-i) + " " + std::to_string(2 * i) + " " +
                std::to_string(i) + ".5" + (i < 999 ? "\n" : "");
    const ReadResult r = ReadText(text);
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.n, 1000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(r.XI[i], i);
        ASSERT_EQ(r.YI[i], -i);
        ASSERT_EQ(r.XP[i], 2 * i);
        ASSERT_EQ(r.YP[i], i + 0.5);
    }
}

TEST(ReadControlPoints, EmptyFileGivesNoPoints) {
    const ReadResult r = ReadText("");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.n, 0);
    EXPECT_TRUE(r.messages.empty());
}

TEST(ReadControlPoints, FileOfOnlyALineEndFailsOnLineOne) {
    for (const char *text : {"\n", "\r\n"}) {
        const ReadResult r = ReadText(text);
        EXPECT_EQ(r.result, 0);
        ASSERT_EQ(r.messages.size(), 1u);
        EXPECT_EQ(r.messages[0].text,
                  "Error in line 1 of input data file: missing x_old coordinate");
    }
}

TEST(ReadControlPoints, LongLinesAreSplitAt1022Bytes) {
    // 1021 characters and a line end fit one read exactly.
    std::string fits = "1 2 3 4" + std::string(1014, ' ') + "\n";
    ASSERT_EQ(fits.size(), 1022u);
    ReadResult r = ReadText(fits + "5 6 7 8\n");
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.n, 2);

    // One more character: the line end is read alone as line 2.
    std::string longer = "1 2 3 4" + std::string(1015, ' ') + "\n";
    r = ReadText(longer + "5 6 7 8\n");
    EXPECT_EQ(r.result, 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Error in line 2 of input data file: missing x_old coordinate");

    // The remainder of a split line is parsed as the next line.
    std::string split = "1 2 3 4" + std::string(1015, ' ') + "9 8 7 6\n";
    r = ReadText(split);
    ASSERT_EQ(r.result, 1);
    ASSERT_EQ(r.n, 2);
    EXPECT_EQ(r.XI[1], 9.0);
    EXPECT_EQ(r.YP[1], 6.0);
}

TEST(ReadControlPoints, MissingFileDirectoryAndSilentFailures) {
    ReadResult r = ReadPath(testing::TempDir() + "no_such_points_file.txt");
    EXPECT_EQ(r.result, 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Cannot locate control points file.");
    EXPECT_EQ(r.messages[0].caption, "ReadControlPoints");
    EXPECT_EQ(r.messages[0].flags, 0x10u);

    r = ReadPath(testing::TempDir());
    EXPECT_EQ(r.result, 0);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_EQ(r.messages[0].text, "Cannot open control points file.");

    r = ReadPath(testing::TempDir() + "no_such_points_file.txt", false);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.messages.empty());
    r = ReadText("1 2 x\n", false);
    EXPECT_EQ(r.result, 0);
    EXPECT_TRUE(r.messages.empty());
}

TEST(ReadControlPoints, UsesTheRuntimeDecimalPoint) {
    // The runtime's locale decides; a locale with a comma may be missing on
    // the build machine, so only the full stop is checked for certain.
    const ReadResult r = ReadText("1.5 2.25 3 4\n");
    ASSERT_EQ(r.result, 1);
    EXPECT_EQ(r.XI[0], 1.5);
    EXPECT_EQ(r.YI[0], 2.25);
}

// Allocation k of a read of 40 points: 1 the first block (16 records), 2 and
// 3 the blocks of 32 and 64 (at lines 17 and 49: only 17 is reached), then
// XP, YP, XI, YI.
TEST(ReadControlPoints, EveryAllocationFailureHasItsMessage) {
    std::string text;
    for (int i = 0; i < 40; ++i)
        text += "1 2 3 4\n";
    const std::string path = WriteTempFile("alloc.txt", text);
    const char *expected[] = {"Out of memory: cannot allocate control point.",
                              "Out of memory: cannot allocate control point.",
                              "Out of memory: cannot allocate XP array.",
                              "Out of memory: cannot allocate YP array.",
                              "Out of memory: cannot allocate XI array.",
                              "Out of memory: cannot allocate YI array."};
    for (int k = 1; k <= 6; ++k) {
        FailWorkingAllocation(k);
        const ReadResult r = ReadPath(path);
        FailWorkingAllocation(0);
        EXPECT_EQ(r.result, 0) << k;
        ASSERT_EQ(r.messages.size(), 1u) << k;
        EXPECT_EQ(r.messages[0].text, expected[k - 1]) << k;
        EXPECT_EQ(r.messages[0].caption, "ReadControlPoints");
    }
    FailWorkingAllocation(7);
    const ReadResult r = ReadPath(path);
    FailWorkingAllocation(0);
    EXPECT_EQ(r.result, 1);
}

} // namespace
