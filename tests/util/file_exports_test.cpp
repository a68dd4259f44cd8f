// INI deletion, the read-only test and the common application-data folder,
// on real files of the Wine prefix.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "ortk232.h"
#include "tests/util/scratch_folder.h"

namespace {

std::string ReadIni(const std::string &file, const char *section, const char *key) {
    char value[256];
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, file.c_str());
    return value;
}

std::vector<std::string> SectionNames(const std::string &file) {
    char names[1024];
    const DWORD length = GetPrivateProfileSectionNamesA(names, sizeof names, file.c_str());
    std::vector<std::string> result;
    for (DWORD i = 0; i < length; i += static_cast<DWORD>(result.back().size()) + 1)
        result.emplace_back(names + i);
    return result;
}

class IniFile : public testing::Test {
  protected:
    void SetUp() override {
        file_ = folder_.WriteFile("settings.ini", "[Alpha]\r\na=1\r\nb=2\r\n"
                                                  "[Beta]\r\nc=3\r\nd=4\r\n"
                                                  "[Gamma]\r\ne=5\r\n");
    }
    ScratchFolder folder_;
    std::string file_;
};

TEST_F(IniFile, DeletingASectionRemovesAllItsKeysAndKeepsTheOthers) {
    EXPECT_EQ(DeleteINIFileSection("Beta", file_.c_str()), 1);
    EXPECT_EQ(ReadIni(file_, "Beta", "c"), "<missing>");
    EXPECT_EQ(ReadIni(file_, "Beta", "d"), "<missing>");
    EXPECT_EQ(SectionNames(file_), (std::vector<std::string>{"Alpha", "Gamma"}));
    EXPECT_EQ(ReadIni(file_, "Alpha", "b"), "2");
    EXPECT_EQ(ReadIni(file_, "Gamma", "e"), "5");
}

TEST_F(IniFile, DeletingAKeyKeepsTheRestOfItsSection) {
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", file_.c_str()), 1);
    EXPECT_EQ(ReadIni(file_, "Alpha", "a"), "<missing>");
    EXPECT_EQ(ReadIni(file_, "Alpha", "b"), "2");
    EXPECT_EQ(SectionNames(file_), (std::vector<std::string>{"Alpha", "Beta", "Gamma"}));
}

TEST_F(IniFile, FailuresGiveZeroAndLeaveTheFileAlone) {
    const std::string unreachable = folder_.Child("no-such-folder\\settings.ini");
    EXPECT_EQ(DeleteINIFileSection("Alpha", unreachable.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", unreachable.c_str()), 0);
    // Null or empty arguments are refused before the profile service, which
    // would otherwise fall back to win.ini or remove a whole section.
    EXPECT_EQ(DeleteINIFileSection(nullptr, file_.c_str()), 0);
    EXPECT_EQ(DeleteINIFileSection("Alpha", nullptr), 0);
    EXPECT_EQ(DeleteINIFileSection("Alpha", ""), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", nullptr, file_.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey(nullptr, "a", file_.c_str()), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", nullptr), 0);
    EXPECT_EQ(DeleteINIFileKey("Alpha", "a", ""), 0);
    EXPECT_EQ(ReadIni(file_, "Alpha", "a"), "1");
    EXPECT_EQ(SectionNames(file_).size(), 3u);
}

TEST(CheckFileReadOnly, KeepsReadOnlyWritableAndUnknownApart) {
    ScratchFolder folder;
    const std::string file = folder.WriteFile("data.txt", "x");
    EXPECT_EQ(CheckFileReadOnly(file.c_str()), 0);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(CheckFileReadOnly(file.c_str()), 1);
    // Other attribute bits play no part.
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(CheckFileReadOnly(file.c_str()), 0);
    ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
    EXPECT_EQ(CheckFileReadOnly(file.c_str()), 1);

    EXPECT_EQ(CheckFileReadOnly(folder.Child("missing.txt").c_str()), -1);
    EXPECT_EQ(CheckFileReadOnly(folder.Child("missing\\data.txt").c_str()), -1);
    EXPECT_EQ(CheckFileReadOnly((folder.path() + "\\" + std::string(400, 'n')).c_str()), -1);
    EXPECT_EQ(CheckFileReadOnly("C:\\bad<name>?.txt"), -1);
    EXPECT_EQ(CheckFileReadOnly(""), -1);
    EXPECT_EQ(CheckFileReadOnly(nullptr), -1);
}

TEST(CheckFileReadOnly, SeesTheReadOnlyBitOfADirectory) {
    ScratchFolder folder;
    const std::string writable = folder.Child("open");
    ASSERT_TRUE(CreateDirectoryA(writable.c_str(), nullptr));
    EXPECT_EQ(CheckFileReadOnly(writable.c_str()), 0);
    // Made read-only by scripts/prefix.d/util.sh: Wine will not set the
    // attribute on a directory, but reports it for one without write access.
    const char readOnly[] = "C:\\ortk-util\\read-only";
    const DWORD attributes = GetFileAttributesA(readOnly);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES) << "run scripts/prepare-prefix.sh first";
    ASSERT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_EQ(CheckFileReadOnly(readOnly), 1);
}

TEST(GetAllUserAppDataDir, GivesTheCommonFolderWithoutTrailingSeparator) {
    char folder[MAX_PATH];
    std::memset(folder, 'x', sizeof folder);
    ASSERT_EQ(GetAllUserAppDataDir(folder), 0);
    const std::string path = folder;
    EXPECT_EQ(path, "C:\\ProgramData");
    const DWORD attributes = GetFileAttributesA(folder);
    ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(attributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST(GetAllUserAppDataDir, NullBufferGivesTheLookupsInvalidArgumentStatus) {
    EXPECT_EQ(GetAllUserAppDataDir(nullptr), static_cast<long>(0x80070057));
}

} // namespace
