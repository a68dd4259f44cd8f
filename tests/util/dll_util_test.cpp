// The file, time, INI, text-width and scrambling exports as the host binds
// them: by name from the built DLL, and through ortkcall.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

using TextFn = long(__cdecl *)(const char *);
using OutTextFn = long(__cdecl *)(char *);
using ScrambleFn = long(__cdecl *)(unsigned char *, long);

TEST(DllUtil, EveryExportAnswersByItsName) {
    unsigned char bytes[] = {'a', 'b', 'c'};
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_encrypt")(bytes, 3), 1);
    EXPECT_EQ(bytes[0] * 0x10000 + bytes[1] * 0x100 + bytes[2], 0xa290cc);
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_decrypt")(bytes, 3), 1);
    EXPECT_EQ(std::string(bytes, bytes + 3), "abc");
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_encrypt")(nullptr, 4), 0);
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_decrypt")(nullptr, 4), 0);
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_encrypt")(nullptr, 0), 1);

    EXPECT_EQ(LibraryExport<TextFn>("CheckFileReadOnly")("C:\\windows"), 0);
    EXPECT_EQ(LibraryExport<TextFn>("CheckFileReadOnly")(nullptr), -1);
    char text[300] = "";
    EXPECT_EQ(LibraryExport<OutTextFn>("GetAllUserAppDataDir")(text), 0);
    EXPECT_STREQ(text, "C:\\ProgramData");
    EXPECT_EQ(LibraryExport<OutTextFn>("GetAllUserAppDataDir")(nullptr),
              static_cast<long>(0x80070057));
    EXPECT_EQ(LibraryExport<OutTextFn>("GetTimeNow")(text), 1);
    EXPECT_TRUE(std::regex_match(text, std::regex("\\d{1,2}:\\d\\d:\\d\\d [AP]M"))) << text;
    EXPECT_EQ(LibraryExport<OutTextFn>("GetTimeNow")(nullptr), 0);
    using DateFn = long(__cdecl *)(const char *, char *);
    EXPECT_EQ(LibraryExport<DateFn>("GetLastModifiedDate")("ortk232.dll", text), 1);
    EXPECT_TRUE(std::regex_match(text, std::regex("\\d\\d [A-Z][a-z]{2} \\d{4} .+"))) << text;
    EXPECT_EQ(LibraryExport<DateFn>("GetLastModifiedDate")(nullptr, text), 0);
    EXPECT_STREQ(text, "");
    EXPECT_EQ(LibraryExport<long(__cdecl *)()>("IsOrt3DInstalled")(), 0);

    using TextWidthFn =
        long(__cdecl *)(HWND, const char *, long, long, const char *, long *, long *);
    long width = 5, height = 5;
    EXPECT_EQ(LibraryExport<TextWidthFn>("GetTextWidth")(nullptr, "Arial", 12, 0, "Tessaro map",
                                                         &width, &height),
              1);
    EXPECT_GT(width, 0);
    EXPECT_EQ(height, 12);
    EXPECT_EQ(
        LibraryExport<TextWidthFn>("GetTextWidth")(nullptr, nullptr, 12, 0, "x", &width, &height),
        0);
    EXPECT_EQ(width + height, 0);

    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    const std::string ini = std::string(folder) + "ortk-dll-util.ini";
    WritePrivateProfileStringA("Keep", "a", "1", ini.c_str());
    WritePrivateProfileStringA("Keep", "b", "2", ini.c_str());
    WritePrivateProfileStringA("Drop", "c", "3", ini.c_str());
    using SectionFn = long(__cdecl *)(const char *, const char *);
    using KeyFn = long(__cdecl *)(const char *, const char *, const char *);
    EXPECT_EQ(LibraryExport<SectionFn>("DeleteINIFileSection")("Drop", ini.c_str()), 1);
    EXPECT_EQ(LibraryExport<KeyFn>("DeleteINIFileKey")("Keep", "a", ini.c_str()), 1);
    char sections[256] = "";
    const DWORD length = GetPrivateProfileSectionA("Keep", sections, sizeof sections, ini.c_str());
    EXPECT_EQ(std::string(sections, length), std::string("b=2\0", 4));
    EXPECT_EQ(GetPrivateProfileSectionA("Drop", sections, sizeof sections, ini.c_str()), 0u);
    DeleteFileA(ini.c_str());
}

TEST(OrtkcallUtil, PrintsResultAndOutArguments) {
    const char *const cases[][2] = {
        {"rv_encrypt 616263 2", "result=1\nbuffer=a29063\n"},
        {"rv_decrypt 5b5bb4aa", "result=3\nbuffer=ffffb4aa\n"},
        {"checkfilereadonly C:\\ortk-util\\read-only", "result=1\n"},
        {"getlastmodifieddate C:\\no\\such\\file.txt", "result=0\ntext=\n"},
        {"getalluserappdatadir", "result=0\ntext=C:\\ProgramData\n"},
    };
    for (const auto &c : cases) {
        int exitCode = -1;
        EXPECT_EQ(RunOrtkcall(c[0], &exitCode), c[1]);
        EXPECT_EQ(exitCode, 0) << c[0];
    }
    EXPECT_TRUE(std::regex_match(RunOrtkcall("gettextwidth Arial 12 3 \"Tessaro map\""),
                                 std::regex("result=1\nwidth=[1-9]\\d*\nheight=12\n")));
    EXPECT_TRUE(std::regex_match(RunOrtkcall("gettimenow"),
                                 std::regex("result=1\ntext=\\d{1,2}:\\d\\d:\\d\\d [AP]M\n")));
}

} // namespace
