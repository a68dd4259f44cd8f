// The built DLL as a host binds it (scripts/check-exports.sh checks its
// export table): exports called by name in this process and through
// ortkcall.exe, which binds them by name too and prints what they give.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

TEST(DllExports, SetDirectoryChangesTheFolderOrFailsWithoutChange) {
    auto setDirectory = LibraryExport<long(__cdecl *)(const char *)>(kSetDirectoryName);
    ASSERT_NE(setDirectory, nullptr);
    char saved[MAX_PATH], current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    EXPECT_EQ(setDirectory("C:\\windows\\system32"), 0);
    EXPECT_EQ(setDirectory(".."), 0);
    EXPECT_EQ(setDirectory("C:\\no such folder"), -1);
    EXPECT_EQ(setDirectory(""), -1);
    EXPECT_EQ(setDirectory(nullptr), -1);
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, "C:\\windows");
    EXPECT_EQ(setDirectory(saved), 0);
    EXPECT_EQ(GetProcAddress(Library(), kOtherSetDirectoryName), nullptr);
    // Refused picker arguments end before any dialog opens.
    using SelectDirectoryFn = long(__cdecl *)(HWND, const char *, char *, long);
    EXPECT_EQ(LibraryExport<SelectDirectoryFn>("SelectDirectory")(nullptr, "t", nullptr, 10), -1);
    long view = -5;
    EXPECT_EQ(LibraryExport<long(__cdecl *)(HWND, long, const char *, long *)>(
                  "SelectMultipleTables")(nullptr, 4, nullptr, &view),
              -1);
    EXPECT_EQ(view, 0) << "no Open yet in this process";
}

TEST(DllExports, OrtkcallPrintsResultsAndOutputs) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string ini = std::string(temp) + "ortk-dll.ini";
    WritePrivateProfileStringA("Keep", "a", "1", ini.c_str());
    WritePrivateProfileStringA("Keep", "b", "2", ini.c_str());
    WritePrivateProfileStringA("Drop", "c", "3", ini.c_str());
    // Arguments, then the output (a pattern where it depends on the machine).
    const std::string rows[][2] = {
        {"parsepath \\\\server\\share\\data\\roads.tab",
         "drive=\\\\\\\\server\\\\share\ndir=\\\\data\\\\\nname=roads\next=\\.tab\n"},
        {"rv_encrypt 616263 2", "result=1\nbuffer=a29063\n"},
        {"rv_decrypt 5b5bb4aa", "result=3\nbuffer=ffffb4aa\n"},
        {"checkfilereadonly C:\\ortk-util\\read-only", "result=1\n"},
        {"checkfilereadonly C:\\windows", "result=0\n"},
        {"getlastmodifieddate C:\\no\\such\\file.txt", "result=0\ntext=\n"},
        {"getlastmodifieddate ortk232.dll", "result=1\ntext=\\d\\d [A-Z][a-z]{2} \\d{4} .+\n"},
        {"getalluserappdatadir", "result=0\ntext=C:\\\\ProgramData\n"},
        {"isort3dinstalled", "result=0\n"},
        {"gettextwidth Arial 12 3 \"Tessaro map\"", "result=1\nwidth=[1-9]\\d*\nheight=12\n"},
        {"gettimenow", "result=1\ntext=\\d{1,2}:\\d\\d:\\d\\d [AP]M\n"},
        {"deleteinifilesection Drop \"" + ini + "\"", "result=1\n"},
        {"deleteinifilekey Keep a \"" + ini + "\"", "result=1\n"},
        {"showsplashscreen Ortelan 4.0 - \"J. Smith\" \"Survey\" 500", "result=0\nopen=1\n"},
        {"showsplashscreen Halcyra 4.0 - x \"\" 3600", "result=0\nopen=0\n"},
        {"removesplashscreen", "result=0\n"},
    };
    for (const auto &row : rows) {
        int status = -1;
        const std::string output = RunOrtkcall(row[0], &status);
        EXPECT_TRUE(std::regex_match(output, std::regex(row[1]))) << row[0] << ": " << output;
        EXPECT_EQ(status, 0) << row[0];
    }
    char keys[64] = "";
    const DWORD length = GetPrivateProfileSectionA("Keep", keys, sizeof keys, ini.c_str());
    EXPECT_EQ(std::string(keys, length), std::string("b=2\0", 4));
    EXPECT_EQ(GetPrivateProfileSectionA("Drop", keys, sizeof keys, ini.c_str()), 0u);
    DeleteFileA(ini.c_str());
    int status = 0;
    RunOrtkcall("showsplashscreen Ortelan 4.0 -", &status);
    EXPECT_NE(status, 0) << "missing arguments are a usage error";
}

} // namespace
