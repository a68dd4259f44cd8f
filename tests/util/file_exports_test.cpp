// The INI, file, time, installation and scrambling exports on real files and
// registry keys of the Wine prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <regex>
#include <string>

#include "ortk232.h"

namespace {

// A fresh folder under the temporary folder for one test, removed with all
// its contents (read-only ones included) at the end.
class ScratchFolder {
  public:
    ScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = temp + std::string("ortk-util-") + std::to_string(GetCurrentProcessId());
        Remove();
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() { Remove(); }
    const std::string &path() const { return path_; }
    std::string Child(const std::string &name) const { return path_ + "\\" + name; }
    // Creates (or replaces) a file with the given contents; returns its path.
    std::string WriteFile(const std::string &name, const std::string &contents) const {
        SetFileAttributesA(Child(name).c_str(), FILE_ATTRIBUTE_NORMAL);
        std::ofstream(Child(name), std::ios::binary) << contents;
        return Child(name);
    }

  private:
    void Remove() {
        const std::string from = path_ + '\0'; // the list ends with a second NUL
        SHFILEOPSTRUCTA operation = {};
        operation.wFunc = FO_DELETE;
        operation.pFrom = from.c_str();
        operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
        SHFileOperationA(&operation);
    }
    std::string path_;
};

// Every section and its keys: "[Alpha]a=1 b=2 [Gamma]e=5 ".
std::string IniContents(const std::string &file) {
    char names[1024], keys[1024];
    std::string text;
    const DWORD length = GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str());
    for (const char *name = names; name < names + length; name += std::strlen(name) + 1) {
        const DWORD size = GetPrivateProfileSectionA(name, keys, sizeof keys, file.c_str());
        text += "[" + std::string(name) + "]" + std::string(keys, size);
    }
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

TEST(UtilExports, IniDeletionReadOnlyTestAppDataFolderAndScrambling) {
    ScratchFolder folder;
    const std::string ini = folder.WriteFile(
        "settings.ini", "[Alpha]\r\na=1\r\nb=2\r\n[Beta]\r\nc=3\r\nd=4\r\n[Gamma]\r\ne=5\r\n");
    const std::string missing = folder.Child("no-such-folder\\settings.ini");
    // A null key would remove a whole section, a null or empty file name
    // would reach win.ini: all refused, like a file that cannot be written.
    for (const char *file : {missing.c_str(), "", static_cast<const char *>(nullptr)}) {
        EXPECT_EQ(DeleteINIFileSection("Alpha", file), 0);
        EXPECT_EQ(DeleteINIFileKey("Alpha", "a", file), 0);
    }
    EXPECT_EQ(DeleteINIFileSection(nullptr, ini.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", nullptr, ini.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey(nullptr, "a", ini.c_str()), 0);
    EXPECT_EQ(IniContents(ini), "[Alpha]a=1 b=2 [Beta]c=3 d=4 [Gamma]e=5 ");
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", ini.c_str()), 1);
    EXPECT_EQ(DeleteINIFileSection("Beta", ini.c_str()), 1);
    EXPECT_EQ(IniContents(ini), "[Alpha]b=2 [Gamma]e=5 ");

    const DWORD readOnly = FILE_ATTRIBUTE_READONLY, hidden = FILE_ATTRIBUTE_HIDDEN;
    for (DWORD attributes : {readOnly, hidden, readOnly | hidden, DWORD{FILE_ATTRIBUTE_NORMAL}}) {
        ASSERT_TRUE(SetFileAttributesA(ini.c_str(), attributes));
        EXPECT_EQ(CheckFileReadOnly(ini.c_str()), (attributes & readOnly) ? 1 : 0) << attributes;
    }
    EXPECT_EQ(CheckFileReadOnly(folder.path().c_str()), 0);
    // Made read-only by scripts/prefix.d/util.sh: Wine reports the attribute
    // for a directory without write access.
    EXPECT_EQ(CheckFileReadOnly("C:\\ortk-util\\read-only"), 1);
    for (const std::string &path : {missing, folder.Child(std::string(400, 'n')),
                                    std::string("C:\\bad<name>?.txt"), std::string()})
        EXPECT_EQ(CheckFileReadOnly(path.c_str()), -1) << path;
    EXPECT_EQ(CheckFileReadOnly(nullptr), -1);

    char text[MAX_PATH];
    ASSERT_EQ(GetAllUserAppDataDir(text), 0);
    EXPECT_STREQ(text, "C:\\ProgramData");
    EXPECT_EQ(GetAllUserAppDataDir(nullptr), static_cast<long>(0x80070057));

    unsigned char bytes[] = "abc";
    EXPECT_EQ(rv_encrypt(bytes, 3), 1);
    EXPECT_STRNE(reinterpret_cast<char *>(bytes), "abc");
    EXPECT_EQ(rv_decrypt(bytes, 3), 1);
    EXPECT_STREQ(reinterpret_cast<char *>(bytes), "abc");
    // Nothing to do is done; a null buffer to work on is refused.
    EXPECT_EQ(std::to_string(rv_encrypt(nullptr, 0)) + std::to_string(rv_decrypt(nullptr, -1)) +
                  std::to_string(rv_encrypt(nullptr, 4)) + std::to_string(rv_decrypt(nullptr, 4)),
              "1100");
}

// IsOrt3DInstalled reads HKLM\Software\Veltrane\Ortelan 3D, which the test
// writes for each case and removes at the end.
TEST(UtilExports, Ort3DIsInstalledOnlyWhenTheRecordedFileCanBeRead) {
    const char kKey[] = "Software\\Veltrane\\Ortelan 3D";
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    HKEY key = nullptr;
    ASSERT_EQ(
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, kKey, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
        ERROR_SUCCESS);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    ScratchFolder folder;
    const std::string program = folder.WriteFile("ort3d.exe", "not really a program");
    SetEnvironmentVariableA("ORTK_ORT3D_FOLDER", folder.path().c_str());
    const struct {
        std::string path;
        DWORD type, extra; // the NUL, or none
        long expected;
    } cases[] = {
        {program, REG_SZ, 1, 1},
        {folder.WriteFile("notes.txt", ""), REG_BINARY, 0, 1},
        {program, REG_EXPAND_SZ, 1, 1},
        {folder.Child("missing.exe"), REG_SZ, 1, 0},
        {folder.path(), REG_SZ, 1, 0},
        {"", REG_SZ, 1, 0},
        {std::string(1000, 'p'), REG_SZ, 1, 0},
        {"%ORTK_ORT3D_FOLDER%\\ort3d.exe", REG_EXPAND_SZ, 1, 0}, // nothing is expanded
        {program, REG_SZ, 1, 1},
    };
    for (const auto &c : cases) {
        RegSetValueExA(key, "ProgramPath", 0, c.type,
                       reinterpret_cast<const BYTE *>(c.path.c_str()),
                       static_cast<DWORD>(c.path.size() + c.extra));
        EXPECT_EQ(IsOrt3DInstalled(), c.expected) << c.path << " of type " << c.type;
    }
    HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(IsOrt3DInstalled(), 0) << "a file held exclusively cannot be read";
    CloseHandle(held);
    RegCloseKey(key);
    SetEnvironmentVariableA("ORTK_ORT3D_FOLDER", nullptr);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kKey);
}

bool SetLastWriteTime(const std::string &path, WORD year, WORD month, WORD day, WORD hour,
                      WORD minute) {
    const SYSTEMTIME utc = {year, month, 0, day, hour, minute, 30, 0};
    FILETIME stamp;
    HANDLE file =
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    const bool done =
        SystemTimeToFileTime(&utc, &stamp) && SetFileTime(file, nullptr, nullptr, &stamp);
    CloseHandle(file);
    return done;
}

// "result text", with the buffer filled beforehand so that a missing
// terminator or a write past the room (12 + 254 + 1) shows.
std::string ModifiedDate(const std::string &path) {
    char out[12 + 254 + 1 + 64];
    std::memset(out, 'x', sizeof out);
    const long result = GetLastModifiedDate(path.c_str(), out);
    const std::size_t length = strnlen(out, sizeof out);
    EXPECT_LT(length, 12u + 254 + 1);
    EXPECT_EQ(std::string(out + length + 1, sizeof out - length - 1),
              std::string(sizeof out - length - 1, 'x'));
    return std::to_string(result) + " " + std::string(out, length);
}

TEST(UtilExports, ModifiedDateOfAFileNobodyHoldsAndTheTimeNow) {
    ScratchFolder folder;
    const std::string file = folder.WriteFile("held.txt", "contents");
    // Noon UTC keeps the local date on the 7th in all but the farthest zones.
    ASSERT_TRUE(SetLastWriteTime(file, 1999, 6, 7, 12, 0));
    EXPECT_TRUE(std::regex_match(ModifiedDate(file), std::regex("1 07 \\S+ 1999 \\S+.*")));
    // Held exclusively, or held for reading or writing by a holder that
    // shares everything: the export's unshared open is refused each time.
    const DWORD all = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const DWORD holders[][2] = {{GENERIC_READ, 0}, {GENERIC_READ, all}, {GENERIC_WRITE, all}};
    for (const auto &holder : holders) {
        HANDLE held =
            CreateFileA(file.c_str(), holder[0], holder[1], nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_EQ(ModifiedDate(file), "0 ") << holder[0] << " " << holder[1];
        CloseHandle(held);
    }
    for (const std::string &path : {folder.Child("missing.txt"), folder.path(), std::string(),
                                    folder.Child(std::string(400, 'n'))})
        EXPECT_EQ(ModifiedDate(path), "0 ") << path;
    char out[255] = "junk";
    EXPECT_EQ(GetLastModifiedDate(nullptr, out), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetLastModifiedDate(file.c_str(), nullptr), 0);
    ASSERT_EQ(GetTimeNow(out), 1);
    EXPECT_TRUE(std::regex_match(out, std::regex("\\d{1,2}:\\d\\d:\\d\\d.*"))) << out;
    EXPECT_EQ(GetTimeNow(nullptr), 0);
}

// Run by tests/scripts/util-locale.sh with the time zone of Tokyo (nine
// hours ahead of UTC, no daylight saving time), an English system locale and
// a German user locale, or the other way round: the texts follow the system
// locale.
TEST(SystemLocale, DISABLED_TimeTexts) {
    const bool german = GetSystemDefaultLCID() == 0x0407;
    ASSERT_EQ(GetUserDefaultLCID(), german ? 0x0409u : 0x0407u) << "the user locale must differ";
    ScratchFolder folder;
    const std::string march = folder.WriteFile("march.txt", "m");
    const std::string december = folder.WriteFile("december.txt", "d");
    // Both UTC times fall on another local hour, the first on another day.
    ASSERT_TRUE(SetLastWriteTime(march, 2011, 3, 6, 23, 5));
    ASSERT_TRUE(SetLastWriteTime(december, 2011, 12, 24, 13, 45));
    EXPECT_EQ(ModifiedDate(march),
              german ? "1 07 M\xe4rz 2011 08:05:30" : "1 07 Mar 2011 8:05:30 AM");
    EXPECT_EQ(ModifiedDate(december),
              german ? "1 24 Dez. 2011 22:45:30" : "1 24 Dec 2011 10:45:30 PM");
    char now[255];
    ASSERT_EQ(GetTimeNow(now), 1);
    const std::regex time(german ? "([01]\\d|2[0-3]):[0-5]\\d:[0-5]\\d"
                                 : "(1[0-2]|[1-9]):[0-5]\\d:[0-5]\\d [AP]M");
    EXPECT_TRUE(std::regex_match(now, time)) << now;
}

} // namespace
