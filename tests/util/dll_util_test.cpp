// The file, time, INI, text-width and scrambling exports as the host binds
// them: by name from the built DLL, and through ortkcall.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>

namespace {

const char *const kUtilExports[] = {
    "DeleteINIFileSection", "DeleteINIFileKey", "CheckFileReadOnly", "GetAllUserAppDataDir",
    "GetLastModifiedDate",  "GetTimeNow",       "IsOrt3DInstalled",  "GetTextWidth",
    "rv_encrypt",           "rv_decrypt"};

TEST(DllUtilExports, AreFoundByTheirPlainNames) {
    ASSERT_NE(Library(), nullptr);
    for (const char *name : kUtilExports)
        EXPECT_NE(GetProcAddress(Library(), name), nullptr) << name;
}

TEST(DllUtilExports, NullArgumentsGiveTheDocumentedFailures) {
    using ScrambleFn = long(__cdecl *)(unsigned char *, long);
    using TextFn = long(__cdecl *)(const char *);
    using OutTextFn = long(__cdecl *)(char *);
    using TextOutTextFn = long(__cdecl *)(const char *, char *);
    using TextWidthFn =
        long(__cdecl *)(HWND, const char *, long, long, const char *, long *, long *);
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_encrypt")(nullptr, 4), 0);
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_decrypt")(nullptr, 4), 0);
    EXPECT_EQ(LibraryExport<ScrambleFn>("rv_encrypt")(nullptr, 0), 1);
    EXPECT_EQ(LibraryExport<TextFn>("CheckFileReadOnly")(nullptr), -1);
    EXPECT_EQ(LibraryExport<OutTextFn>("GetTimeNow")(nullptr), 0);
    EXPECT_EQ(LibraryExport<OutTextFn>("GetAllUserAppDataDir")(nullptr),
              static_cast<long>(0x80070057));
    char out[4] = "abc";
    EXPECT_EQ(LibraryExport<TextOutTextFn>("GetLastModifiedDate")(nullptr, out), 0);
    EXPECT_STREQ(out, "");
    long width = 5;
    EXPECT_EQ(
        LibraryExport<TextWidthFn>("GetTextWidth")(nullptr, nullptr, 12, 0, "x", &width, nullptr),
        0);
    EXPECT_EQ(width, 0);
}

struct CallCase {
    const char *arguments;
    const char *output;
};

class OrtkcallUtil : public testing::TestWithParam<CallCase> {};

TEST_P(OrtkcallUtil, PrintsResultAndOutArguments) {
    int exitCode = -1;
    EXPECT_EQ(RunOrtkcall(GetParam().arguments, &exitCode), GetParam().output);
    EXPECT_EQ(exitCode, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, OrtkcallUtil,
    testing::Values(CallCase{"rv_encrypt 616263", "result=1\nbuffer=a290cc\n"},
                    CallCase{"rv_decrypt A290CC", "result=1\nbuffer=616263\n"},
                    CallCase{"rv_encrypt 00ff", "result=1\nbuffer=5b5b\n"},
                    CallCase{"rv_decrypt 5b5bb4aa", "result=3\nbuffer=ffffb4aa\n"},
                    CallCase{"rv_encrypt 616263 0", "result=1\nbuffer=616263\n"},
                    CallCase{"rv_decrypt 616263 -7", "result=1\nbuffer=616263\n"},
                    CallCase{"rv_encrypt 616263 2", "result=1\nbuffer=a29063\n"},
                    CallCase{"checkfilereadonly C:\\no\\such\\file.txt", "result=-1\n"},
                    CallCase{"checkfilereadonly C:\\ortk-util\\read-only", "result=1\n"},
                    CallCase{"checkfilereadonly C:\\windows", "result=0\n"},
                    CallCase{"getlastmodifieddate C:\\no\\such\\file.txt", "result=0\ntext=\n"},
                    CallCase{"getalluserappdatadir", "result=0\ntext=C:\\ProgramData\n"},
                    CallCase{"isort3dinstalled", "result=0\n"}));

TEST(OrtkcallUtilTexts, TimeAndTextWidth) {
    EXPECT_TRUE(std::regex_match(RunOrtkcall("gettimenow"),
                                 std::regex("result=1\ntext=\\d{1,2}:\\d\\d:\\d\\d [AP]M\n")));
    EXPECT_TRUE(std::regex_match(RunOrtkcall("getlastmodifieddate ortk232.dll"),
                                 std::regex("result=1\ntext=\\d\\d [A-Z][a-z]{2} \\d{4} "
                                            "\\d{1,2}:\\d\\d:\\d\\d [AP]M\n")));
    EXPECT_TRUE(std::regex_match(RunOrtkcall("gettextwidth Arial 12 3 \"Tessaro map\""),
                                 std::regex("result=1\nwidth=[1-9]\\d*\nheight=12\n")));
}

TEST(OrtkcallUtilIni, DeletesASectionAndAKey) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "ortkcall-util.ini";
    WritePrivateProfileStringA("Keep", "a", "1", file.c_str());
    WritePrivateProfileStringA("Keep", "b", "2", file.c_str());
    WritePrivateProfileStringA("Drop", "c", "3", file.c_str());
    EXPECT_EQ(RunOrtkcall("deleteinifilesection Drop \"" + file + "\""), "result=1\n");
    EXPECT_EQ(RunOrtkcall("deleteinifilekey Keep a \"" + file + "\""), "result=1\n");
    char value[32];
    GetPrivateProfileStringA("Drop", "c", "gone", value, sizeof value, file.c_str());
    EXPECT_STREQ(value, "gone");
    GetPrivateProfileStringA("Keep", "a", "gone", value, sizeof value, file.c_str());
    EXPECT_STREQ(value, "gone");
    GetPrivateProfileStringA("Keep", "b", "gone", value, sizeof value, file.c_str());
    EXPECT_STREQ(value, "2");
    DeleteFileA(file.c_str());
}

} // namespace
