// INI deletion, the read-only test and the common application-data folder,
// on real files of the Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ortk232.h"
#include "tests/util/scratch_folder.h"

namespace {

// Every section and its keys: "Alpha:a=1,b=2;Gamma:e=5;".
std::string IniContents(const std::string &file) {
    char names[1024], keys[1024];
    std::string text;
    const DWORD length = GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str());
    for (const char *name = names; name < names + length; name += std::strlen(name) + 1) {
        text += std::string(name) + ":";
        const DWORD size = GetPrivateProfileSectionA(name, keys, sizeof keys, file.c_str());
        for (const char *key = keys; key < keys + size; key += std::strlen(key) + 1)
            text += std::string(key) + (key + std::strlen(key) + 1 < keys + size ? "," : "");
        text += ";";
    }
    return text;
}

TEST(IniExports, DeleteASectionOrAKeyAndRefuseWhatWouldReachAnotherFile) {
    ScratchFolder folder;
    const std::string file = folder.WriteFile(
        "settings.ini", "[Alpha]\r\na=1\r\nb=2\r\n[Beta]\r\nc=3\r\nd=4\r\n[Gamma]\r\ne=5\r\n");
    const std::string missing = folder.Child("no-such-folder\\settings.ini");
    // A null key would remove a whole section, a null or empty file name
    // would reach win.ini: all refused, like a file that cannot be written.
    EXPECT_EQ(DeleteINIFileSection("Alpha", missing.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", missing.c_str()), 0);
    EXPECT_EQ(DeleteINIFileSection(nullptr, file.c_str()), 0);
    EXPECT_EQ(DeleteINIFileSection("Alpha", nullptr), 0);
    EXPECT_EQ(DeleteINIFileSection("Alpha", ""), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", nullptr, file.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey(nullptr, "a", file.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", nullptr), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", ""), 0);
    EXPECT_EQ(IniContents(file), "Alpha:a=1,b=2;Beta:c=3,d=4;Gamma:e=5;");
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", file.c_str()), 1);
    EXPECT_EQ(DeleteINIFileSection("Beta", file.c_str()), 1);
    EXPECT_EQ(IniContents(file), "Alpha:b=2;Gamma:e=5;");
}

TEST(CheckFileReadOnly, KeepsReadOnlyWritableAndUnknownApart) {
    ScratchFolder folder;
    const std::string file = folder.WriteFile("data.txt", "x");
    const struct {
        DWORD attributes;
        long expected;
    } cases[] = {{FILE_ATTRIBUTE_READONLY, 1},
                 {FILE_ATTRIBUTE_HIDDEN, 0},
                 {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN, 1},
                 {FILE_ATTRIBUTE_NORMAL, 0}};
    for (const auto &c : cases) {
        ASSERT_TRUE(SetFileAttributesA(file.c_str(), c.attributes));
        EXPECT_EQ(CheckFileReadOnly(file.c_str()), c.expected) << c.attributes;
    }
    EXPECT_EQ(CheckFileReadOnly(folder.path().c_str()), 0);
    // Made read-only by scripts/prefix.d/util.sh: Wine reports the attribute
    // for a directory without write access.
    EXPECT_EQ(CheckFileReadOnly("C:\\ortk-util\\read-only"), 1);
    for (const std::string &path :
         {folder.Child("missing.txt"), folder.Child("missing\\data.txt"),
          folder.Child(std::string(400, 'n')), std::string("C:\\bad<name>?.txt"), std::string()})
        EXPECT_EQ(CheckFileReadOnly(path.c_str()), -1) << path;
    EXPECT_EQ(CheckFileReadOnly(nullptr), -1);
}

TEST(GetAllUserAppDataDir, GivesTheCommonFolderWithoutTrailingSeparator) {
    char folder[MAX_PATH];
    ASSERT_EQ(GetAllUserAppDataDir(folder), 0);
    EXPECT_STREQ(folder, "C:\\ProgramData");
    EXPECT_EQ(GetAllUserAppDataDir(nullptr), static_cast<long>(0x80070057));
}

} // namespace
