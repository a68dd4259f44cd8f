// CalculateTransformParams in process, with message boxes captured: what the
// Windows shell adds to the fit (text-mode report, message switch and owner,
// argument checks, the locale around the report).
#include <windows.h>

#include "ortk232.h"
#include "tests/frame/captured_messages.h"
#include "tests/frame/file_bytes.h"
#include "transform/transform_locale.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cstdlib>
#include <string>

namespace {

const char *kAffineSix = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
                         "5 5 1013.1 2011.3\n20 5 1042.5 2005\n";
HWND const kOwner = reinterpret_cast<HWND>(static_cast<INT_PTR>(0x1234));

std::string TempPath(const std::string &name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + "ortk_export_" + name;
}

struct Call {
    long result, count = -7;
    double params[21] = {};
    std::string report, boxes; // "caption: text flags|" of each box, "(other owner)" marked
};

// One call of the six-point affine example, or with points null of the path
// as it is.
Call CallExport(long show = 0, const char *points = kAffineSix,
                const std::string &report = TempPath("report.txt"),
                const std::string &cp = TempPath("points.txt")) {
    Call c;
    DeleteFileA(report.c_str());
    if (FILE *file = points ? std::fopen(cp.c_str(), "wb") : nullptr)
        std::fputs(points, file), std::fclose(file);
    MessageCapture capture;
    c.result =
        CalculateTransformParams(kOwner, cp.c_str(), 3, &c.count, c.params, report.c_str(), show);
    for (const CapturedMessage &m : capture.messages())
        c.boxes += std::string(m.owner == kOwner ? "" : "(other owner) ") + m.caption + ": " +
                   m.text + " " + std::to_string(m.flags) + "|";
    c.report = FileBytes(report);
    return c;
}

TEST(CalculateTransformParams, WritesTheReportShowsMessagesOnlyWhenAskedAndLeavesEnglish) {
    const Call c = CallExport(1);
    EXPECT_TRUE(c.result == 1 && c.count == 6 && c.boxes.empty());
    EXPECT_EQ(c.report.substr(0, 66),
              "Data points converted: 6\r\nResiduals:\r\nXRi YRi PointRMS\r\n-0.139130 ");
    CreateDirectoryA(TempPath("folder").c_str(), nullptr);
    // Points (null: the file as it is), report and points file names, and the
    // boxes shown with showMessages 1.
    const char *rows[][4] = {
        {nullptr, "r.txt", "none.txt", "ReadControlPoints: Cannot locate control points file. 16|"},
        {nullptr, "r.txt", "folder", "ReadControlPoints: Cannot open control points file. 16|"},
        {kAffineSix, "folder", "points.txt",
         "WriteResiduals: Cannot create residuals file. 16|"
         "CalculateTransformParams: Cannot create file to store residuals 16|"}};
    for (const auto &row : rows) {
        for (const long show : {1L, 0L, 2L}) {
            const Call c = CallExport(show, row[0], TempPath(row[1]), TempPath(row[2]));
            EXPECT_TRUE(c.result == 0 && c.count == (row[0] == kAffineSix ? 6 : -7)) << row[2];
            EXPECT_EQ(c.boxes, show == 1 ? row[3] : "") << row[2];
        }
    }
    // The call leaves English (United States) in force, whatever it found.
    char name[400];
    EXPECT_STREQ(BuildLocaleName(0x0419, name), "Russian_Russia.1251");
    std::setlocale(LC_ALL, "C");
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT));
    EXPECT_EQ(CallExport().result, 1);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "English_United States.1252");
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
    // Null arguments are refused before the file is looked for.
    Call n;
    MessageCapture capture;
    EXPECT_EQ(CalculateTransformParams(kOwner, nullptr, 3, &n.count, n.params, "r.txt", 1) +
                  CalculateTransformParams(kOwner, "none.txt", 3, nullptr, n.params, "r.txt", 1) +
                  CalculateTransformParams(kOwner, "none.txt", 3, &n.count, nullptr, "r.txt", 1) +
                  CalculateTransformParams(kOwner, "none.txt", 3, &n.count, n.params, nullptr, 1),
              0);
    EXPECT_TRUE(capture.messages().empty() && n.count == -7);
}

// Wine takes the user locale from LC_ALL at process start, so this runs only
// when tests/scripts/transform-locale.sh starts the program again with
// LC_ALL=de_DE.UTF-8 and ORTK_TRANSFORM_GERMAN_CHILD set. The report uses the
// comma; the next call reads its points with a full stop again (the locale
// left in force is checked above).
TEST(TransformGermanLocale, ChildReportUsesCommaAndLeavesEnglish) {
    if (std::getenv("ORTK_TRANSFORM_GERMAN_CHILD") == nullptr)
        GTEST_SKIP() << "run by tests/scripts/transform-locale.sh";
    const Call first = CallExport(), second = CallExport();
    EXPECT_NE(first.report.find("PointRMS\r\n-0,139130 0,278261 0,311105\r\n"), std::string::npos)
        << first.report;
    EXPECT_TRUE(first.result == 1 && second.result == 1 && second.report == first.report &&
                std::equal(first.params, first.params + 6, second.params));
}

} // namespace
