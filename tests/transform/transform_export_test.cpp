// CalculateTransformParams in process, with message boxes captured: what the
// Windows shell adds to the fit (text-mode report, message switch and owner,
// argument checks, the locale around the report).
#include <windows.h>

#include "ortk232.h"
#include "tests/frame/captured_messages.h"
#include "tests/frame/file_bytes.h"
#include "tests/transform/format_samples.h"
#include "transform/residuals.h"
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

// A device that takes nothing.
const char *const kFullDevice = "Z:\\dev\\full";
const std::string kReport = TempPath("report.txt"), kPoints = TempPath("points.txt");

struct Call {
    long result, count = -7;
    double params[21] = {};
    std::string report, boxes; // "caption: text flags|" of each box, "(other owner)" marked
};

// One call of the six-point affine example, or with points null of the
// points path as it is; either path may be null.
Call CallExport(long show = 0, const char *points = kAffineSix,
                const char *report = kReport.c_str(), const char *cp = kPoints.c_str()) {
    Call c;
    if (report != nullptr && report != kFullDevice)
        DeleteFileA(report);
    if (FILE *file = points ? std::fopen(cp, "wb") : nullptr)
        std::fputs(points, file), std::fclose(file);
    MessageCapture capture;
    c.result = CalculateTransformParams(kOwner, cp, 3, &c.count, c.params, report, show);
    for (const CapturedMessage &m : capture.messages())
        c.boxes += std::string(m.owner == kOwner ? "" : "(other owner) ") + m.caption + ": " +
                   m.text + " " + std::to_string(m.flags) + "|";
    if (report != nullptr && report != kFullDevice)
        c.report = FileBytes(report);
    return c;
}

TEST(CalculateTransformParams, WritesTheReportShowsMessagesOnlyWhenAskedAndLeavesEnglish) {
    const Call c = CallExport(1);
    EXPECT_TRUE(c.result == 1 && c.count == 6 && c.boxes.empty());
    EXPECT_EQ(c.report.substr(0, 66),
              "Data points converted: 6\r\nResiduals:\r\nXRi YRi PointRMS\r\n-0.139130 ");
    const std::string r = TempPath("r.txt"), none = TempPath("none.txt"),
                      folder = TempPath("folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    const std::string locate = "ReadControlPoints: Cannot locate control points file. 16|",
                      store = "CalculateTransformParams: Cannot create file to store residuals 16|",
                      create = "WriteResiduals: Cannot create residuals file. 16|" + store,
                      write = "WriteResiduals: Error while writing data into residuals file. 16|" +
                              store;
    // Points (null: the file as it is), report and points paths, and the
    // boxes shown with showMessages 1. A null points path is a file not
    // found; a null report path, one that cannot be created, after the fit.
    const struct {
        const char *points, *report, *cp;
        std::string boxes;
    } rows[] = {{nullptr, r.c_str(), none.c_str(), locate},
                {nullptr, r.c_str(), nullptr, locate},
                {nullptr, r.c_str(), folder.c_str(),
                 "ReadControlPoints: Cannot open control points file. 16|"},
                {kAffineSix, folder.c_str(), kPoints.c_str(), create},
                {kAffineSix, nullptr, kPoints.c_str(), create},
                {kAffineSix, kFullDevice, kPoints.c_str(), write}};
    for (const auto &row : rows) {
        for (const long show : {1L, 0L, 2L}) {
            const Call c = CallExport(show, row.points, row.report, row.cp);
            EXPECT_TRUE(c.result == 0 && c.count == (row.points ? 6 : -7)) << row.boxes;
            EXPECT_EQ(c.boxes, show == 1 ? row.boxes : "") << row.report;
        }
    }
    RemoveDirectoryA(folder.c_str());
    // Eight points on a line leave the affine fit singular: its NaNs are
    // reported as the runtime spells them.
    const Call singular =
        CallExport(0, "0 0 0 0\n1 1 2 1\n2 2 4 4\n3 3 6 9\n4 4 8 16\n5 5 1 2\n6 6 0 1\n7 7 5 5\n");
    EXPECT_NE(singular.report.find("PointRMS\r\n-1.#IND00 -1.#IND00 -1.#IND00\r\n"),
              std::string::npos)
        << singular.report;
    // The call leaves English (United States) in force, whatever it found.
    char name[400];
    EXPECT_STREQ(BuildLocaleName(0x0419, name), "Russian_Russia.1251");
    std::setlocale(LC_ALL, "C");
    SetThreadLocale(MAKELCID(MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH), SORT_DEFAULT));
    EXPECT_EQ(CallExport().result, 1);
    EXPECT_STREQ(std::setlocale(LC_ALL, nullptr), "English_United States.1252");
    EXPECT_EQ(GetThreadLocale(), 0x0409u);
    // No place for the coefficients: refused before the file is looked for.
    Call n;
    MessageCapture capture;
    EXPECT_EQ(CalculateTransformParams(kOwner, "none.txt", 3, nullptr, n.params, "r.txt", 1) +
                  CalculateTransformParams(kOwner, "none.txt", 3, &n.count, nullptr, "r.txt", 1),
              0);
    EXPECT_TRUE(capture.messages().empty() && n.count == -7);
    DeleteFileA(kReport.c_str());
    DeleteFileA(kPoints.c_str());
}

// The report's numbers against msvcrt's own _snprintf (not the compiler
// runtime's printf) on a large sample, with its full stop and decimal comma.
TEST(FormatFixed6, GivesMsvcrtsBytesForEveryKindOfDouble) {
    const FARPROC function = GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_snprintf");
    ASSERT_NE(function, nullptr);
    const auto runtime = reinterpret_cast<int(__cdecl *)(char *, std::size_t, const char *, ...)>(
        reinterpret_cast<void (*)()>(function));
    for (const char *locale : {"German_Germany.1252", "C"}) {
        ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr);
        const char point = *std::localeconv()->decimal_point;
        EXPECT_EQ(point, locale[1] ? ',' : '.');
        for (const double value : FormatSamples(5, locale[1] ? 40000 : 400000)) {
            char expected[400], got[400];
            const int length = runtime(expected, sizeof expected, "%.6f", value);
            ASSERT_TRUE(FormatFixed6(value, point, got) == std::size_t(length) &&
                        std::string(got) == expected)
                << std::hexfloat << value << " " << got;
        }
    }
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
    DeleteFileA(kReport.c_str());
    DeleteFileA(kPoints.c_str());
}

} // namespace
