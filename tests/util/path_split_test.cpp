#include "util/path_split.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

// ParseAnyPath into outputs preset to "-" (an output left alone shows as "-")
// with guard bytes after their 256; the parts joined with "|".
std::string Parse(const std::string &path) {
    std::string drive(path.size() + 8, '#');
    char out[3][264];
    std::memset(out, '#', sizeof out);
    drive[0] = out[0][0] = out[1][0] = out[2][0] = '-';
    drive[1] = out[0][1] = out[1][1] = out[2][1] = '\0';
    ParseAnyPath(path.c_str(), &drive[0], out[0], out[1], out[2]);
    for (auto &buffer : out)
        EXPECT_EQ(std::string(buffer + 256, 8), "########") << path.substr(0, 40);
    return drive.c_str() + std::string("|") + out[0] + "|" + out[1] + "|" + out[2];
}

TEST(ParseAnyPath, SplitsDriveDirectoryNameAndExtension) {
    const std::string d(300, 'd'), n(300, 'n'), e(300, 'e'), unc = "\\\\" + d + "\\" + n;
    const std::string cases[][2] = {
        {"C:\\data\\maps\\roads.tab", "C:|\\data\\maps\\|roads|.tab"},
        {"\\\\server\\share\\data\\roads.tab", "\\\\server\\share|\\data\\|roads|.tab"},
        {"\\\\server\\share", "\\\\server\\share|||"},
        {"\\\\server", "-|-|-|-"},
        {"//server/share/roads.tab", "-|-|-|-"},
        {"//server\\share\\roads.tab", "//server\\share|\\|roads|.tab"},
        {"\\/server\\share\\x\\y.z", "\\/server\\share|\\x\\|y|.z"},
        {"/x/roads.tab", "|/x/|roads|.tab"},
        {"archive.tar.gz", "||archive.tar|.gz"},
        {".profile", "|||.profile"},
        {"data.d\\roads", "|data.d\\|roads|"},
        {"", "|||"},
        {"C:roads.tab", "C:||roads|.tab"},
        {"c:/a\\b/c.d.e", "c:|/a\\b/|c.d|.e"},
        {"dir.with.dots/", "|dir.with.dots/||"},
        // Parts are cut to 255 characters, the network prefix is not.
        {"C:\\" + d + "\\" + n + "." + e,
         "C:|\\" + d.substr(0, 254) + "|" + n.substr(0, 255) + "|." + e.substr(0, 254)},
        {unc + "\\" + d + "\\f." + e, unc + "|\\" + d.substr(0, 254) + "|f|." + e.substr(0, 254)},
        {unc, unc + "|||"}};
    for (const auto &c : cases)
        EXPECT_EQ(Parse(c[0]), c[1]) << c[0];
}

} // namespace
