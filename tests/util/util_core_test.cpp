// The text and byte routines of the utility exports: paths split into their
// parts, bytes scrambled and restored, and the file date laid out.
#include "util/date_text.h"
#include "util/path_split.h"
#include "util/scramble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <cstring>
#include <string>
#include <vector>

namespace {

TEST(ParseAnyPath, SplitsDriveDirectoryNameAndExtension) {
    const std::string d(300, 'd'), n(300, 'n'), e(300, 'e'), unc = "\\\\" + d + "\\" + n;
    const std::string cases[][2] = {
        {"C:\\data\\maps\\roads.tab", "C:|\\data\\maps\\|roads|.tab"},
        {"\\\\server", "-|-|-|-"},
        {"\\/server\\share\\x\\y.z", "\\/server\\share|\\x\\|y|.z"},
        {"/x/roads.tab", "|/x/|roads|.tab"},
        {".profile", "|||.profile"},
        {"", "|||"},
        {"c:/a\\b/c.d.e", "c:|/a\\b/|c.d|.e"},
        {"dir.with.dots/", "|dir.with.dots/||"},
        // Parts are cut to 255 characters, the network prefix is not.
        {"C:\\" + d + "\\" + n + "." + e,
         "C:|\\" + d.substr(0, 254) + "|" + n.substr(0, 255) + "|." + e.substr(0, 254)},
        {unc + "\\" + d + "\\f." + e, unc + "|\\" + d.substr(0, 254) + "|f|." + e.substr(0, 254)},
        {unc, unc + "|||"}};
    // Outputs of their documented sizes (the sanitizer build checks the
    // bounds) preset to "-" (an output left alone shows as "-"); the parts
    // joined with "|".
    for (const auto &c : cases) {
        std::string drive = '-' + std::string(c[0].size(), '\0');
        char dir[256] = "-", name[256] = "-", ext[256] = "-";
        ParseAnyPath(c[0].c_str(), drive.data(), dir, name, ext);
        EXPECT_EQ(drive.data() + std::string("|") + dir + "|" + name + "|" + ext, c[1]) << c[0];
    }
}

using Bytes = std::vector<unsigned char>;

Bytes Scrambled(Bytes bytes) {
    ScrambleBytes(bytes.data(), long(bytes.size()));
    return bytes;
}

// The running sum of the plain bytes (0 and 255 leave it alone) modulo 255
// picks the table entry; unscrambling restores every buffer (a plain 0 as
// 255) up to a byte that the table does not hold.
TEST(Scramble, PicksTableEntriesByTheRunningSumAndRestores) {
    const unsigned char *t = kScrambleTable;
    EXPECT_EQ(Scrambled({200, 100, 250, 215, 0, 255}),
              (Bytes{t[200], t[45], t[40], t[0], t[0], t[0]}));
    Bytes all(255);
    std::iota(all.begin(), all.end(), 1);
    for (const Bytes &plain :
         {Bytes{1}, Bytes{255, 254, 255, 128, 129}, all, Bytes{'A', 0, 'B', 0}}) {
        Bytes bytes = Scrambled(plain), restored = plain;
        std::replace(restored.begin(), restored.end(), 0, 255);
        EXPECT_TRUE(UnscrambleBytes(bytes.data(), long(bytes.size())) == kUnscrambleDone &&
                    bytes == restored);
    }
    Bytes bytes = Scrambled({'h', 'e', 'l', 'l', 'o'}), tail = bytes;
    bytes[2] = kScrambleAbsentValue;
    EXPECT_TRUE(UnscrambleBytes(bytes.data(), 5) == kUnscrambleForeignByte &&
                bytes == Bytes({'h', 'e', kScrambleAbsentValue, tail[3], tail[4]}));
}

// Day, month name of any length and year, then the time; "failed" when the
// call returns false leaving an empty text. The buffer has the documented
// size: the sanitizer build checks the bounds.
TEST(ComposeModifiedDate, LaysOutDayMonthYearAndTime) {
    const std::string longest(254, 't');
    const std::string cases[][3] = {
        {"03Mar2011", "9:15:30 AM", "03 Mar 2011 9:15:30 AM"},
        {"03M\xe4rz2011", "09:15", "03 M\xe4rz 2011 09:15"},
        {"03Ma2011", "9:15", "failed"},                   // too short for day, month and year
        {"03Mar2011", longest, "03 Mar 2011 " + longest}, // fills the room exactly
        {"03M\xe4rz2011", longest, "failed"}};            // one character too many
    for (const auto &c : cases) {
        char out[kModifiedDateTextSize];
        std::memset(out, '#', sizeof out);
        const bool ok = ComposeModifiedDate(c[0].c_str(), c[1].c_str(), out, kModifiedDateTextSize);
        EXPECT_EQ(ok ? out : out[0] ? "failed, left text" : "failed", c[2]) << c[0];
    }
}

} // namespace
