// CalculateTransformParams in process, with message boxes captured.
#include <windows.h>

#include "transform/allocation.h"
#include "tests/frame/captured_messages.h"
#include "tests/frame/file_bytes.h"
#include "transform/transform_locale.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

extern "C" long __cdecl CalculateTransformParams(HWND hwndOwner, const char *controlPointsFile,
                                                 long transformType, long *paramCount,
                                                 double *params, const char *residualsFile,
                                                 long showMessages);

namespace {

// The boxes that the last captured call would have shown.
std::vector<CapturedMessage> g_boxes;

const char *kAffineSix = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
                         "5 5 1013.1 2011.3\n20 5 1042.5 2005\n";

std::string TempPath(const std::string &name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "ortk_export_" + name;
}

std::string WriteFile(const std::string &name, const std::string &content) {
    const std::string path = TempPath(name);
    FILE *file = std::fopen(path.c_str(), "wb");
    std::fwrite(content.data(), 1, content.size(), file);
    std::fclose(file);
    return path;
}

struct Call {
    long result;
    long count;
    double params[21];
    std::string report;
};

HWND const kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

Call CallExport(const std::string &points, long type, long show, long preset = -7,
                const std::string &reportPath = TempPath("report.txt")) {
    Call c;
    c.count = preset;
    for (double &p : c.params)
        p = -1.0;
    DeleteFileA(reportPath.c_str());
    const std::string cp = WriteFile("points.txt", points);
    std::optional<MessageCapture> capture(std::in_place);
    c.result = CalculateTransformParams(kOwner, cp.c_str(), type, &c.count, c.params,
                                        reportPath.c_str(), show);
    g_boxes = capture->messages();
    capture.reset();
    c.report = FileBytes(reportPath);
    return c;
}

TEST(CalculateTransformParams, AffineFitWritesACrLfReport) {
    const Call c = CallExport(kAffineSix, 3, 1);
    EXPECT_EQ(c.result, 1);
    EXPECT_EQ(c.count, 6);
    EXPECT_NEAR(c.params[0], 1000.139130, 5e-7);
    EXPECT_NEAR(c.params[5], 3.0, 5e-7);
    EXPECT_EQ(c.params[6], -1.0);
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(c.report.substr(0, 66),
              "Data points converted: 6\r\nResiduals:\r\nXRi YRi PointRMS\r\n"
              "-0.139130 ");
    EXPECT_NE(c.report.find("0.486957 -0.973913 1.088868\r\n"), std::string::npos);
    EXPECT_NE(c.report.find("Standard deviation in y: 0.441342\r\n"), std::string::npos);
}

TEST(CalculateTransformParams, MissingFileIsShownOnlyForOne) {
    const std::string missing = TempPath("no_such_points.txt");
    for (const long show : {0L, 2L, -1L, 1L}) {
        long count = -7;
        double params[21] = {-1.0};
        std::optional<MessageCapture> capture(std::in_place);
        const long result = CalculateTransformParams(kOwner, missing.c_str(), 3, &count, params,
                                                     TempPath("r.txt").c_str(), show);
        g_boxes = capture->messages();
        capture.reset();
        EXPECT_EQ(result, 0);
        EXPECT_EQ(count, -7);
        EXPECT_EQ(params[0], -1.0);
        if (show != 1) {
            EXPECT_TRUE(g_boxes.empty()) << show;
            continue;
        }
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].owner, kOwner);
        EXPECT_EQ(g_boxes[0].text, "Cannot locate control points file.");
        EXPECT_EQ(g_boxes[0].caption, "ReadControlPoints");
        EXPECT_EQ(g_boxes[0].flags, static_cast<UINT>(MB_ICONERROR));
    }
}

TEST(CalculateTransformParams, DirectoryAndBadLineMessages) {
    long count = -7;
    double params[21] = {};
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    folder[lstrlenA(folder) - 1] = '\0'; // no trailing backslash: FindFirstFileA wants a name
    std::optional<MessageCapture> capture(std::in_place);
    EXPECT_EQ(
        CalculateTransformParams(kOwner, folder, 3, &count, params, TempPath("r.txt").c_str(), 1),
        0);
    g_boxes = capture->messages();
    capture.reset();
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "Cannot open control points file.");

    CallExport("1 2 3 4\r\n5 6 7 8\r\n1 2 3\r\n", 3, 1);
    ASSERT_EQ(g_boxes.size(), 1u);
    EXPECT_EQ(g_boxes[0].text, "Error in line 3 of input data file: y_new not found");
    EXPECT_EQ(g_boxes[0].caption, "ReadControlPoints");
    EXPECT_EQ(g_boxes[0].flags, 0u);
    EXPECT_EQ(g_boxes[0].owner, kOwner);
}

TEST(CalculateTransformParams, ReportInMissingFolderShowsTwoMessagesInOrder) {
    const Call c = CallExport(kAffineSix, 3, 1, -7, TempPath("no_such_folder\\report.txt"));
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.count, 6);
    EXPECT_NEAR(c.params[2], 1.994783, 5e-7);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text, "Cannot create residuals file.");
    EXPECT_EQ(g_boxes[0].caption, "WriteResiduals");
    EXPECT_EQ(g_boxes[1].text, "Cannot create file to store residuals");
    EXPECT_EQ(g_boxes[1].caption, "CalculateTransformParams");
    EXPECT_EQ(g_boxes[1].flags, static_cast<UINT>(MB_ICONERROR));
}

// A report path that cannot be opened for writing: a folder, and a file that
// another handle holds without sharing. (A read-only attribute does not stop
// root, who runs these tests under Wine.)
TEST(CalculateTransformParams, ReportThatCannotBeOpenedFails) {
    const std::string folder = TempPath("report_folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    Call c = CallExport(kAffineSix, 2, 1, -7, folder);
    EXPECT_EQ(c.result, 0);
    EXPECT_EQ(c.count, 4);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[0].text, "Cannot create residuals file.");

    const std::string report = WriteFile("locked_report.txt", "old");
    HANDLE lock = CreateFileA(report.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    long count = -7;
    double params[21] = {};
    const std::string cp = WriteFile("points.txt", kAffineSix);
    std::optional<MessageCapture> capture(std::in_place);
    const long result =
        CalculateTransformParams(kOwner, cp.c_str(), 3, &count, params, report.c_str(), 1);
    g_boxes = capture->messages();
    capture.reset();
    CloseHandle(lock);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(count, 6);
    ASSERT_EQ(g_boxes.size(), 2u);
    EXPECT_EQ(g_boxes[1].text, "Cannot create file to store residuals");
    EXPECT_EQ(FileBytes(report), "old");
}

TEST(CalculateTransformParams, TypeOutsideTheRangeKeepsThePresetCount) {
    for (const long type : {0L, 7L}) {
        const Call c = CallExport(kAffineSix, type, 1, 3);
        EXPECT_EQ(c.result, 1);
        EXPECT_EQ(c.count, 3);
        EXPECT_EQ(c.params[0], 0.0);
        EXPECT_EQ(c.params[2], 0.0);
        EXPECT_EQ(c.params[3], -1.0);
        EXPECT_TRUE(g_boxes.empty());
    }
}

TEST(CalculateTransformParams, AllocationFailuresOfTheResidualArrays) {
    // Six points: one record block and four arrays, then TX and TY.
    const char *expected[2] = {"Out of memory: cannot allocate TX array.",
                               "Out of memory: cannot allocate TY array."};
    for (int k = 0; k < 2; ++k) {
        FailWorkingAllocation(6 + k);
        const Call c = CallExport(kAffineSix, 3, 1);
        FailWorkingAllocation(0);
        EXPECT_EQ(c.result, 0);
        EXPECT_EQ(c.count, -7);
        ASSERT_EQ(g_boxes.size(), 1u);
        EXPECT_EQ(g_boxes[0].text, expected[k]);
        EXPECT_EQ(g_boxes[0].caption, "CalculateTransformParams");
        EXPECT_EQ(g_boxes[0].owner, kOwner);
    }
}

TEST(CalculateTransformParams, NullArgumentsFailQuietly) {
    long count = -7;
    double params[21] = {};
    const std::string cp = WriteFile("points.txt", kAffineSix);
    const std::string report = TempPath("r.txt");
    std::optional<MessageCapture> capture(std::in_place);
    EXPECT_EQ(CalculateTransformParams(kOwner, nullptr, 3, &count, params, report.c_str(), 1), 0);
    EXPECT_EQ(CalculateTransformParams(kOwner, cp.c_str(), 3, nullptr, params, report.c_str(), 1),
              0);
    EXPECT_EQ(CalculateTransformParams(kOwner, cp.c_str(), 3, &count, nullptr, report.c_str(), 1),
              0);
    EXPECT_EQ(CalculateTransformParams(kOwner, cp.c_str(), 3, &count, params, nullptr, 1), 0);
    g_boxes = capture->messages();
    capture.reset();
    EXPECT_TRUE(g_boxes.empty());
    EXPECT_EQ(count, -7);
}

TEST(CalculateTransformParams, LeavesEnglishUnitedStatesInForce) {
    std::setlocale(LC_ALL, "C");
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT));
    const Call c = CallExport(kAffineSix, 3, 0);
    EXPECT_EQ(c.result, 1);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "English_United States.1252");
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
}

TEST(BuildLocaleName, NamesLanguageCountryAndCodePage) {
    char name[400];
    EXPECT_STREQ(BuildLocaleName(0x0409, name), "English_United States.1252");
    EXPECT_STREQ(BuildLocaleName(0x0407, name), "German_Germany.1252");
    EXPECT_STREQ(BuildLocaleName(0x0419, name), "Russian_Russia.1251");
}

// Wine takes the user locale from LC_ALL at process start, so this runs only
// when tests/scripts/transform-locale.sh starts the program again with
// LC_ALL=de_DE.UTF-8 and ORTK_TRANSFORM_GERMAN_CHILD set.
TEST(TransformGermanLocale, ChildReportUsesCommaAndLeavesEnglish) {
    if (std::getenv("ORTK_TRANSFORM_GERMAN_CHILD") == nullptr)
        GTEST_SKIP() << "run by tests/scripts/transform-locale.sh";
    ASSERT_EQ(GetUserDefaultLCID(), 0x0407u);
    const Call first = CallExport(kAffineSix, 3, 0);
    EXPECT_EQ(first.result, 1);
    EXPECT_NE(first.report.find("-0,139130 0,278261 0,311105\r\n"), std::string::npos)
        << first.report;
    EXPECT_NE(first.report.find("Data points converted: 6\r\n"), std::string::npos);
    EXPECT_NE(first.report.find("Standard deviation in x: 0,220671\r\n"), std::string::npos);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "English_United States.1252");
    EXPECT_EQ(GetThreadLocale(), 0x0409u);

    // The next call reads its points with a full stop again.
    const Call second = CallExport(kAffineSix, 3, 0);
    EXPECT_EQ(second.result, 1);
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(second.params[i], first.params[i]);
    EXPECT_NE(second.report.find("0,486957 -0,973913 1,088868\r\n"), std::string::npos);
}

} // namespace
