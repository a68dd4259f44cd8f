#include "util/path_split.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// ParseAnyPath into buffers preset to "-" (so an output left alone shows as
// "-") followed by guard bytes; the parts joined with "|".
std::string Parse(const std::string &path) {
    std::string drive(path.size() + 8, '#');
    char out[3][256 + 8];
    std::memset(out, '#', sizeof out);
    drive[0] = out[0][0] = out[1][0] = out[2][0] = '-';
    drive[1] = out[0][1] = out[1][1] = out[2][1] = '\0';
    ParseAnyPath(path.c_str(), &drive[0], out[0], out[1], out[2]);
    for (auto &buffer : out)
        for (int i = 256; i < 264; ++i)
            EXPECT_EQ(buffer[i], '#') << "written past an output for " << path.substr(0, 40);
    return drive.c_str() + std::string("|") + out[0] + "|" + out[1] + "|" + out[2];
}

TEST(ParseAnyPath, SplitsDriveDirectoryNameAndExtension) {
    const char *cases[][2] = {
        {"C:\\data\\maps\\roads.tab", "C:|\\data\\maps\\|roads|.tab"},
        {"\\\\server\\share\\data\\roads.tab", "\\\\server\\share|\\data\\|roads|.tab"},
        {"\\\\server\\share", "\\\\server\\share|||"},
        {"\\\\server", "-|-|-|-"},
        {"\\\\", "-|-|-|-"},
        {"//server/share/roads.tab", "-|-|-|-"},
        {"//server\\share\\roads.tab", "//server\\share|\\|roads|.tab"},
        {"\\/server\\share\\x\\y.z", "\\/server\\share|\\x\\|y|.z"},
        {"/\\srv\\s", "/\\srv\\s|||"},
        {"/x/roads.tab", "|/x/|roads|.tab"},
        {"archive.tar.gz", "||archive.tar|.gz"},
        {".profile", "|||.profile"},
        {"data.d\\roads", "|data.d\\|roads|"},
        {"a", "||a|"},
        {"", "|||"},
        {"C:", "C:|||"},
        {"C:roads.tab", "C:||roads|.tab"},
        {"c:/a\\b/c.d.e", "c:|/a\\b/|c.d|.e"},
        {"dir.with.dots/", "|dir.with.dots/||"}};
    for (const auto &c : cases)
        EXPECT_EQ(Parse(c[0]), c[1]) << c[0];
}

TEST(ParseAnyPath, CutsPartsTo255CharactersButNotTheNetworkPrefix) {
    const std::string d(300, 'd'), n(300, 'n'), e(300, 'e');
    EXPECT_EQ(Parse("C:\\" + d + "\\" + n + "." + e),
              "C:|\\" + d.substr(0, 254) + "|" + n.substr(0, 255) + "|." + e.substr(0, 254));
    const std::string prefix = "\\\\" + std::string(400, 's') + "\\" + std::string(400, 'h');
    EXPECT_EQ(Parse(prefix + "\\" + d + "\\f." + e),
              prefix + "|\\" + d.substr(0, 254) + "|f|." + e.substr(0, 254));
    EXPECT_EQ(Parse(prefix), prefix + "|||");
}

} // namespace
