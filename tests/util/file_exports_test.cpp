// The INI, file, time, installation and scrambling exports on real files and
// registry keys of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>

#include "ortk232.h"
#include "tests/frame/file_bytes.h"

namespace {

// A path in the temporary folder ("" for the folder itself).
std::string Temp(const std::string &name) {
    char temp[MAX_PATH];
    return std::string(temp, GetTempPathA(MAX_PATH, temp) - 1) +
           (name.empty() ? "" : "\\ortk-util-" + name);
}

// Creates (or replaces, read-only or not) a temporary file with the contents.
std::string TempFile(const std::string &name, const std::string &contents) {
    SetFileAttributesA(Temp(name).c_str(), FILE_ATTRIBUTE_NORMAL);
    std::ofstream(Temp(name), std::ios::binary) << contents;
    return Temp(name);
}

TEST(UtilExports, IniDeletionReadOnlyTestAppDataFolderAndScrambling) {
    const std::string missing = Temp("no-such-folder\\settings.ini");
    const char *const kAll = "[Alpha]\r\na=1\r\nb=2\r\n[Beta]\r\nc=3\r\n";
    // Section, key ("-": the section call; "~": a null text) and file (0: a
    // file holding kAll, 1: a missing folder, 2: "", 3: null), then the
    // result and the file's bytes ("=": kAll). Null texts reach the profile
    // service; a null or empty file name, which it would take for win.ini,
    // does not.
    const std::string rows[][2] = {
        {"Alpha a 0", "1 [Alpha]\r\nb=2\r\n[Beta]\r\nc=3\r\n"},
        {"Alpha ~ 0", "1 [Beta]\r\nc=3\r\n"},
        {"Beta - 0", "1 [Alpha]\r\na=1\r\nb=2\r\n"},
        {"~ - 0", "0 ="},
        {"Alpha a 1", "0 none"},
        {"Alpha - 1", "0 none"},
        {"Alpha a 2", "0 none"},
        {"Alpha - 3", "0 none"},
    };
    for (const auto &row : rows) {
        char section[8], key[8];
        int kind = 0;
        sscanf(row[0].c_str(), "%7s %7s %d", section, key, &kind);
        const std::string paths[] = {TempFile("settings.ini", kAll), missing, "", ""};
        const char *file = kind < 3 ? paths[kind].c_str() : nullptr;
        const char *s = *section == '~' ? nullptr : section, *k = *key == '~' ? nullptr : key;
        const long result =
            *key == '-' ? DeleteINIFileSection(s, file) : DeleteINIFileKey(s, k, file);
        const std::string bytes = FileBytes(paths[kind]);
        EXPECT_EQ(std::to_string(result) + " " +
                      (GetFileAttributesA(paths[kind].c_str()) == INVALID_FILE_ATTRIBUTES ? "none"
                       : bytes == kAll                                                    ? "="
                                                                                          : bytes),
                  row[1])
            << row[0];
    }
    const std::string ini = TempFile("settings.ini", "[Alpha]\r\nb=2\r\n");

    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(CheckFileReadOnly(ini.c_str()), 0);
    ASSERT_TRUE(SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(CheckFileReadOnly(ini.c_str()), 1);
    EXPECT_EQ(CheckFileReadOnly(Temp("").c_str()), 0);
    for (const char *path :
         {missing.c_str(), "C:\\bad<name>?.txt", "", static_cast<const char *>(nullptr)})
        EXPECT_EQ(CheckFileReadOnly(path), -1) << path;

    EXPECT_EQ(GetAllUserAppDataDir(nullptr), static_cast<long>(0x80070057));
    // The folder where it is now, not where it was made: moved to the
    // temporary folder for one call.
    const char kFolders[] =
        "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    char saved[MAX_PATH], moved[MAX_PATH] = "";
    DWORD size = sizeof saved;
    ASSERT_EQ(RegGetValueA(HKEY_LOCAL_MACHINE, kFolders, "Common AppData",
                           RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND, nullptr, saved, &size),
              ERROR_SUCCESS);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kFolders, "Common AppData", REG_SZ, Temp("").c_str(),
                    static_cast<DWORD>(Temp("").size() + 1));
    const long lookup = GetAllUserAppDataDir(moved);
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, kFolders, "Common AppData", REG_EXPAND_SZ, saved, size);
    EXPECT_EQ(std::to_string(lookup) + " " + moved, "0 " + Temp(""));

    // One byte is worked on; nothing to do is done; a null buffer to work on
    // is refused.
    unsigned char byte[] = "a";
    EXPECT_TRUE(rv_encrypt(byte, 1) == 1 && byte[0] != 'a' && rv_decrypt(byte, 1) == 1 &&
                byte[0] == 'a' && rv_encrypt(nullptr, 0) == 1 && rv_decrypt(nullptr, -1) == 1 &&
                rv_encrypt(nullptr, 4) == 0 && rv_decrypt(nullptr, 4) == 0);
    SetFileAttributesA(ini.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(ini.c_str());
}

// IsOrt3DInstalled reads HKLM\Software\Veltrane\Ortelan 3D, which the test
// writes for each case and removes at the end.
TEST(UtilExports, Ort3DIsInstalledOnlyWhenTheRecordedFileCanBeRead) {
    const char kKey[] = "Software\\Veltrane\\Ortelan 3D";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    // The key without the value.
    ASSERT_EQ(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "Other", REG_SZ, "", 1), ERROR_SUCCESS);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    const struct {
        std::string path;
        DWORD type, extra; // the NUL, or none
        long expected;
    } cases[] = {
        {TempFile("ort3d.exe", "not really a program"), REG_SZ, 1, 1},
        {TempFile("notes.txt", ""), REG_BINARY, 0, 1},
        {Temp("missing.exe"), REG_EXPAND_SZ, 1, 0},
    };
    for (const auto &c : cases) {
        RegSetKeyValueA(HKEY_LOCAL_MACHINE, kKey, "ProgramPath", c.type, c.path.c_str(),
                        static_cast<DWORD>(c.path.size() + c.extra));
        EXPECT_EQ(IsOrt3DInstalled(), c.expected) << c.path << " of type " << c.type;
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
}

bool SetLastWriteTime(const std::string &path, const SYSTEMTIME &utc) {
    FILETIME stamp;
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool done =
        SystemTimeToFileTime(&utc, &stamp) && SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    return done;
}

// "result text"; the buffer is filled beforehand so that a write past the
// room (12 + 254 + 1) or a missing terminator shows.
std::string ModifiedDate(const std::string &path) {
    char out[300];
    std::memset(out, 'x', sizeof out);
    const long result = GetLastModifiedDate(path.c_str(), out);
    EXPECT_EQ(std::string(out + 267, out + sizeof out), std::string(33, 'x'));
    return std::to_string(result) + " " + std::string(out, strnlen(out, 267));
}

TEST(UtilExports, ModifiedDateOfAFileNobodyHoldsAndTheTimeNow) {
    const std::string file = TempFile("held.txt", "contents");
    // Noon UTC keeps the local date on the 7th in all but the farthest zones.
    ASSERT_TRUE(SetLastWriteTime(file, {1999, 6, 0, 7, 12, 0, 30, 0}));
    EXPECT_TRUE(std::regex_match(ModifiedDate(file), std::regex("1 07 \\S+ 1999 \\S+.*")));
    // Held by a reader that shares everything: the export's unshared open is
    // refused all the same.
    HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(ModifiedDate(file), "0 ");
    CloseHandle(held);
    for (const std::string &path :
         {Temp("missing.txt"), Temp(""), std::string(), Temp(std::string(400, 'n'))})
        EXPECT_EQ(ModifiedDate(path), "0 ") << path;
    // GetTimeNow's text is checked by tests/scripts/util-locale.sh.
    char out[255] = "junk";
    EXPECT_EQ(GetLastModifiedDate(nullptr, out) + GetLastModifiedDate(file.c_str(), nullptr) +
                  GetTimeNow(nullptr),
              0);
    EXPECT_STREQ(out, "");
}

// Run by tests/scripts/util-locale.sh with the time zone of Tokyo (nine
// hours ahead of UTC, no daylight saving time), an English system locale and
// a German user locale, or the other way round: the texts follow the system
// locale.
TEST(SystemLocale, DISABLED_TimeTexts) {
    const bool german = GetSystemDefaultLCID() == 0x0407;
    ASSERT_EQ(GetUserDefaultLCID(), german ? 0x0409u : 0x0407u) << "the user locale must differ";
    const std::string march = TempFile("march.txt", "m"), december = TempFile("december.txt", "d");
    // Both UTC times fall on another local hour, the first on another day.
    ASSERT_TRUE(SetLastWriteTime(march, {2011, 3, 0, 6, 23, 5, 30, 0}));
    ASSERT_TRUE(SetLastWriteTime(december, {2011, 12, 0, 24, 13, 45, 30, 0}));
    EXPECT_EQ(ModifiedDate(march) + ", " + ModifiedDate(december),
              german ? "1 07 M\xe4rz 2011 08:05:30, 1 24 Dez. 2011 22:45:30"
                     : "1 07 Mar 2011 8:05:30 AM, 1 24 Dec 2011 10:45:30 PM");
    char now[255] = "";
    const char *time =
        german ? "([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d" : "(1[0-2]|[1-9]):[0-5]\\d:[0-5]\\d [AP]M";
    EXPECT_TRUE(GetTimeNow(now) == 1 && std::regex_match(now, std::regex(time))) << now;
}

} // namespace
