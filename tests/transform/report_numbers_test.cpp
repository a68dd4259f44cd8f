// The report's numbers against the runtime the library imports: msvcrt's own
// _snprintf with "%.6f", in the C locale and with the German decimal comma,
// one number at a time and as whole reports.
#include <windows.h>

#include "tests/frame/file_bytes.h"
#include "tests/transform/format_samples.h"
#include "transform/residuals.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <string>

namespace {

using SnprintfFunction = int(__cdecl *)(char *, std::size_t, const char *, ...);

// msvcrt's _snprintf itself, not the compiler runtime's own printf.
SnprintfFunction RuntimeSnprintf() {
    const FARPROC function = GetProcAddress(GetModuleHandleA("msvcrt.dll"), "_snprintf");
    return reinterpret_cast<SnprintfFunction>(reinterpret_cast<void (*)()>(function));
}

// Runs body with the runtime's locale set to name, then puts the old one back.
template <typename Body> void InLocale(const char *name, Body body) {
    const std::string saved = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, name) != nullptr)
        body();
    else
        ADD_FAILURE() << name;
    std::setlocale(LC_ALL, saved.c_str());
}

TEST(FormatFixed6, GivesMsvcrtsBytesForEveryKindOfDouble) {
    const SnprintfFunction runtime = RuntimeSnprintf();
    ASSERT_NE(runtime, nullptr);
    const struct {
        const char *locale;
        char point;
        int randomCount;
    } rows[] = {{"C", '.', 400000}, {"German_Germany.1252", ',', 40000}};
    for (const auto &row : rows)
        InLocale(row.locale, [&] {
            ASSERT_EQ(*std::localeconv()->decimal_point, row.point);
            for (const double value : FormatSamples(5, row.randomCount)) {
                char expected[400], got[400];
                const int length = runtime(expected, sizeof expected, "%.6f", value);
                const std::size_t gotLength = FormatFixed6(value, row.point, got);
                ASSERT_TRUE(std::string(got) == expected &&
                            gotLength == static_cast<std::size_t>(length))
                    << std::hexfloat << value << " " << got << " " << expected;
            }
        });
}

// A whole report with ties, NaNs, infinities and huge values, in text mode,
// against one made line by line with the runtime's formats.
TEST(WriteResiduals, WritesTheBytesOfTheRuntimesFormats) {
    const SnprintfFunction runtime = RuntimeSnprintf();
    ASSERT_NE(runtime, nullptr);
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double TX[] = {0.0078125, -nan, -inf, 3, 1e30, -0.0234375, 65536.0078125};
    const double TY[] = {-0.0078125, 1, nan, 4, -2.5e-7, 0, 0};
    const long n = 7;
    char path[MAX_PATH];
    GetTempPathA(MAX_PATH, path);
    std::strcat(path, "ortk_report_numbers.txt");
    for (const char *locale : {"C", "German_Germany.1252"})
        InLocale(locale, [&] {
            std::string expected = "Data points converted: 7\r\nResiduals:\r\nXRi YRi PointRMS\r\n";
            char line[1300];
            for (long i = 0; i < n; ++i) {
                const double rms = std::sqrt(TX[i] * TX[i] + TY[i] * TY[i]);
                runtime(line, sizeof line, "%.6f %.6f %.6f\r\n", double(float(TX[i])),
                        double(float(TY[i])), double(float(rms)));
                expected += line;
            }
            runtime(line, sizeof line,
                    "Total RMS: %.6f\r\nStandard deviation in x: %.6f\r\n"
                    "Standard deviation in y: %.6f\r\n",
                    double(float(TotalRms(n, TX, TY))), -nan, 0.0078125);
            expected += line;
            EXPECT_EQ(WriteResiduals(n, TX, TY, path, true, -nan, 0.0078125), 1);
            EXPECT_EQ(FileBytes(path), expected);
        });
    DeleteFileA(path);
}

} // namespace
