// Time stamps and the current time as text: exclusive opening, bad input,
// and the system default locale against a differing user locale, checked in
// child processes started with a locale and time zone of their own.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "ortk232.h"
#include "tests/util/scratch_folder.h"

namespace {

constexpr std::size_t kDateTextRoom = 12 + 254 + 1;

bool SetLastWriteTime(const std::string &path, WORD year, WORD month, WORD day, WORD hour,
                      WORD minute, WORD second) {
    SYSTEMTIME utc = {};
    utc.wYear = year;
    utc.wMonth = month;
    utc.wDay = day;
    utc.wHour = hour;
    utc.wMinute = minute;
    utc.wSecond = second;
    FILETIME stamp;
    if (!SystemTimeToFileTime(&utc, &stamp))
        return false;
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const BOOL done = SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    return done != FALSE;
}

std::string ModifiedDate(const std::string &path, long *result) {
    char out[kDateTextRoom];
    std::memset(out, 'x', sizeof out);
    out[sizeof out - 1] = '\0';
    *result = GetLastModifiedDate(path.c_str(), out);
    return out;
}

class HeldFile : public testing::Test {
  protected:
    void SetUp() override { file_ = folder_.WriteFile("held.txt", "contents"); }
    ScratchFolder folder_;
    std::string file_;
};

TEST_F(HeldFile, OpenElsewhereForReadingOrWritingGivesZeroAndEmptyText) {
    long result = -1;
    EXPECT_NE(ModifiedDate(file_, &result), "");
    EXPECT_EQ(result, 1);

    // Held exclusively, and held for reading or writing by a holder that
    // shares everything itself: the export's unshared open is refused each time.
    const DWORD shareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const struct {
        DWORD access, share;
    } holders[] = {{GENERIC_READ, 0}, {GENERIC_READ, shareAll}, {GENERIC_WRITE, shareAll}};
    for (const auto &holder : holders) {
        const DWORD access = holder.access;
        HANDLE held =
            CreateFileA(file_.c_str(), access, holder.share, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        EXPECT_EQ(ModifiedDate(file_, &result), "") << "access " << access;
        EXPECT_EQ(result, 0);
        CloseHandle(held);
    }
    EXPECT_NE(ModifiedDate(file_, &result), "");
    EXPECT_EQ(result, 1);
}

TEST_F(HeldFile, TwoDigitDayAndFourDigitYear) {
    // Noon UTC keeps the local date on the 7th in every time zone but the
    // farthest ones.
    ASSERT_TRUE(SetLastWriteTime(file_, 1999, 6, 7, 12, 0, 0));
    long result = 0;
    const std::string text = ModifiedDate(file_, &result);
    EXPECT_EQ(result, 1);
    EXPECT_TRUE(std::regex_search(text, std::regex("^07 \\S+ 1999 \\S"))) << text;
}

TEST(GetLastModifiedDate, BadInputGivesZeroAndATerminatedEmptyText) {
    ScratchFolder folder;
    const std::vector<std::string> paths = {folder.Child("missing.txt"), folder.path(), "",
                                            folder.path() + "\\" + std::string(400, 'n')};
    for (const std::string &path : paths) {
        long result = -1;
        EXPECT_EQ(ModifiedDate(path, &result), "") << path;
        EXPECT_EQ(result, 0) << path;
    }
    char out[8] = "junk";
    EXPECT_EQ(GetLastModifiedDate(nullptr, out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetLastModifiedDate(folder.path().c_str(), nullptr), 0);
}

TEST(GetLastModifiedDate, WritesNoMoreThanItsDocumentedRoom) {
    ScratchFolder folder;
    const std::string file = folder.WriteFile("f.txt", "");
    char out[kDateTextRoom + 64];
    std::memset(out, 0x7f, sizeof out);
    ASSERT_EQ(GetLastModifiedDate(file.c_str(), out), 1);
    const std::size_t length = std::strlen(out);
    EXPECT_LT(length, kDateTextRoom);
    for (std::size_t i = length + 1; i < sizeof out; ++i)
        ASSERT_EQ(out[i], 0x7f) << "byte " << i;
}

TEST(GetTimeNow, GivesATimeWithoutDate) {
    char out[255];
    std::memset(out, 'x', sizeof out);
    ASSERT_EQ(GetTimeNow(out), 1);
    EXPECT_TRUE(std::regex_match(std::string(out), std::regex("\\d{1,2}:\\d\\d:\\d\\d.*"))) << out;
    EXPECT_EQ(GetTimeNow(nullptr), 0);
}

// --- Child processes with their own locales -------------------------------

std::string Environment(const char *name) {
    const char *value = std::getenv(name);
    return value != nullptr ? value : "";
}

using UnixNameFn = char *(CDECL *)(const WCHAR *);
using DosNameFn = WCHAR *(CDECL *)(const char *);

template <class Function> Function WineFunction(const char *name) {
    return reinterpret_cast<Function>(
        reinterpret_cast<void *>(GetProcAddress(GetModuleHandleA("kernel32.dll"), name)));
}

std::string UnixPath(const std::string &windowsPath) {
    const auto unixName = WineFunction<UnixNameFn>("wine_get_unix_file_name");
    WCHAR wide[MAX_PATH];
    if (unixName == nullptr ||
        MultiByteToWideChar(CP_ACP, 0, windowsPath.c_str(), -1, wide, MAX_PATH) == 0)
        return "";
    char *name = unixName(wide);
    if (name == nullptr)
        return "";
    std::string result = name;
    HeapFree(GetProcessHeap(), 0, name);
    return result;
}

std::string DosPath(const std::string &unixPath) {
    const auto dosName = WineFunction<DosNameFn>("wine_get_dos_file_name");
    WCHAR *name = dosName != nullptr ? dosName(unixPath.c_str()) : nullptr;
    if (name == nullptr)
        return "";
    char path[MAX_PATH];
    const int converted =
        WideCharToMultiByte(CP_ACP, 0, name, -1, path, MAX_PATH, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, name);
    return converted > 0 ? path : "";
}

std::string ThisProgram() {
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return exe;
}

// build/locales, compiled by scripts/prefix.d/util.sh: the C library needs it
// in LOCPATH to know the German and English locales.
std::string UnixLocalesFolder() {
    std::string folder = ThisProgram();
    folder.resize(folder.find_last_of('\\')); // build\win64
    folder.resize(folder.find_last_of('\\')); // build
    return UnixPath(folder + "\\locales");
}

bool IsLocaleVariable(const std::string &entry) {
    for (const char *prefix : {"LC_", "LANG=", "LANGUAGE=", "TZ=", "LOCPATH="})
        if (entry.compare(0, std::strlen(prefix), prefix) == 0)
            return true;
    return false;
}

// Runs the disabled test named by filter in a new process of this program
// whose locale variables are replaced by the given ones, and returns what
// the child wrote into its result file. A Windows child would inherit this
// process's Unix environment, where Wine reads the locales; so the child is
// started through the Wine loader as a Unix program, which gets the
// environment block passed here.
std::string RunChild(const std::string &filter, const std::vector<std::string> &variables,
                     const std::string &resultFile) {
    std::string block;
    char *strings = GetEnvironmentStringsA();
    for (const char *p = strings; *p != '\0'; p += std::strlen(p) + 1)
        if (!IsLocaleVariable(p))
            block.append(p).push_back('\0');
    FreeEnvironmentStringsA(strings);
    for (const std::string &variable : variables)
        block.append(variable).push_back('\0');
    block.append("ORTK_CHILD_RESULT=" + resultFile).push_back('\0');
    block.push_back('\0');

    // env starts the loader with a Unix argv[0], from which it finds its own
    // folder.
    const std::string wine =
        Environment("WINE").empty() ? "/usr/lib/wine/wine64" : Environment("WINE");
    std::string command = "\"" + DosPath("/usr/bin/env") + "\" \"" + wine + "\" \"" +
                          UnixPath(ThisProgram()) +
                          "\" --gtest_also_run_disabled_tests --gtest_filter=" + filter;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, &block[0], nullptr,
                        &startup, &process))
        return "cannot start " + command + ", error " + std::to_string(GetLastError());
    if (process.hThread != nullptr)
        CloseHandle(process.hThread);
    if (process.hProcess != nullptr)
        CloseHandle(process.hProcess);
    // The handle of a Unix program cannot be waited for: wait for its result.
    for (int waited = 0; waited < 30000; waited += 100) {
        std::ifstream file(resultFile);
        std::string line;
        if (std::getline(file, line) && (line == "passed" || line == "failed"))
            return line;
        Sleep(100);
    }
    return "no result from " + command;
}

struct LocalePair {
    const char *name;
    const char *systemLocale; // LC_CTYPE
    const char *userLocale;   // LANG, which LC_MESSAGES follows
};

class SystemLocaleNotUsers : public testing::TestWithParam<LocalePair> {};

TEST_P(SystemLocaleNotUsers, TimeTextsFollowTheSystemDefaultLocale) {
    const std::string locales = UnixLocalesFolder();
    ASSERT_FALSE(locales.empty()) << "cannot find the Unix path of build\\locales";
    ScratchFolder folder;
    const std::string result = RunChild("LocaleChild.DISABLED_TimeTexts",
                                        {"LOCPATH=" + locales, "TZ=Asia/Tokyo",
                                         std::string("LC_CTYPE=") + GetParam().systemLocale,
                                         std::string("LANG=") + GetParam().userLocale},
                                        folder.Child("child-result.txt"));
    EXPECT_EQ(result, "passed") << "see the child's output above";
}

INSTANTIATE_TEST_SUITE_P(
    Locales, SystemLocaleNotUsers,
    testing::Values(LocalePair{"EnglishSystemGermanUser", "en_US.UTF-8", "de_DE.UTF-8"},
                    LocalePair{"GermanSystemEnglishUser", "de_DE.UTF-8", "en_US.UTF-8"}),
    [](const testing::TestParamInfo<LocalePair> &info) { return std::string(info.param.name); });

struct ExpectedTexts {
    LCID system, user;
    const char *march, *december;
    const char *timePattern;
};

// Run only as a child of SystemLocaleNotUsers, in the time zone of Tokyo
// (nine hours ahead of UTC, no daylight saving time). Its outcome goes to the
// file that the parent waits for, also when an assertion ends it early.
class LocaleChild : public testing::Test {
  protected:
    void TearDown() override {
        std::ofstream(Environment("ORTK_CHILD_RESULT")) << (HasFailure() ? "failed\n" : "passed\n");
    }
};

TEST_F(LocaleChild, DISABLED_TimeTexts) {
    const ExpectedTexts english = {0x0409, 0x0407, "07 Mar 2011 8:05:30 AM",
                                   "24 Dec 2011 10:45:00 PM",
                                   "(1[0-2]|[1-9]):[0-5]\\d:[0-5]\\d [AP]M"};
    const ExpectedTexts german = {0x0407, 0x0409, "07 M\xe4rz 2011 08:05:30",
                                  "24 Dez. 2011 22:45:00", "([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d"};
    const ExpectedTexts &expected = GetSystemDefaultLCID() == 0x0407 ? german : english;
    ASSERT_EQ(GetSystemDefaultLCID(), expected.system);
    ASSERT_EQ(GetUserDefaultLCID(), expected.user) << "the user locale must differ";

    ScratchFolder folder;
    const std::string march = folder.WriteFile("march.txt", "m");
    const std::string december = folder.WriteFile("december.txt", "d");
    // Both UTC times fall on another local hour, the first on another day.
    ASSERT_TRUE(SetLastWriteTime(march, 2011, 3, 6, 23, 5, 30));
    ASSERT_TRUE(SetLastWriteTime(december, 2011, 12, 24, 13, 45, 0));
    long result = 0;
    EXPECT_EQ(ModifiedDate(march, &result), expected.march);
    EXPECT_EQ(result, 1);
    EXPECT_EQ(ModifiedDate(december, &result), expected.december);
    EXPECT_EQ(result, 1);

    char now[255];
    ASSERT_EQ(GetTimeNow(now), 1);
    EXPECT_TRUE(std::regex_match(std::string(now), std::regex(expected.timePattern))) << now;
    // The user's own format would have given another text.
    SYSTEMTIME local;
    GetLocalTime(&local);
    char users[255];
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &local, nullptr, users, sizeof users);
    EXPECT_FALSE(std::regex_match(std::string(users), std::regex(expected.timePattern))) << users;
}

} // namespace
