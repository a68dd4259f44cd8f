#include "util/path_split.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct Parts {
    std::string drive, dir, name, ext;
};

// Runs ParseAnyPath with every output preset to "-", so that an output left
// as the caller passed it shows as "-".
Parts Parse(const std::string &path) {
    std::string drive(path.size() + 8, '\0');
    char dir[256] = "-", name[256] = "-", ext[256] = "-";
    std::strcpy(&drive[0], "-");
    ParseAnyPath(path.c_str(), &drive[0], dir, name, ext);
    return {drive.c_str(), dir, name, ext};
}

struct Case {
    const char *path, *drive, *dir, *name, *ext;
};

class ParsePathTable : public testing::TestWithParam<Case> {};

TEST_P(ParsePathTable, SplitsAsDocumented) {
    const Case &c = GetParam();
    const Parts parts = Parse(c.path);
    EXPECT_EQ(parts.drive, c.drive);
    EXPECT_EQ(parts.dir, c.dir);
    EXPECT_EQ(parts.name, c.name);
    EXPECT_EQ(parts.ext, c.ext);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, ParsePathTable,
    testing::Values(Case{"C:\\data\\maps\\roads.tab", "C:", "\\data\\maps\\", "roads", ".tab"},
                    Case{"\\\\server\\share\\data\\roads.tab", "\\\\server\\share", "\\data\\",
                         "roads", ".tab"},
                    Case{"\\\\server\\share", "\\\\server\\share", "", "", ""},
                    Case{"\\\\server", "-", "-", "-", "-"}, Case{"\\\\", "-", "-", "-", "-"},
                    Case{"//server/share/roads.tab", "-", "-", "-", "-"},
                    Case{"//server\\share\\roads.tab", "//server\\share", "\\", "roads", ".tab"},
                    Case{"\\/server\\share\\x\\y.z", "\\/server\\share", "\\x\\", "y", ".z"},
                    Case{"/\\srv\\s", "/\\srv\\s", "", "", ""},
                    Case{"/x/roads.tab", "", "/x/", "roads", ".tab"},
                    Case{"archive.tar.gz", "", "", "archive.tar", ".gz"},
                    Case{".profile", "", "", "", ".profile"},
                    Case{"data.d\\roads", "", "data.d\\", "roads", ""}, Case{"a", "", "", "a", ""},
                    Case{"", "", "", "", ""}, Case{"C:", "C:", "", "", ""},
                    Case{"C:roads.tab", "C:", "", "roads", ".tab"},
                    Case{"c:/a\\b/c.d.e", "c:", "/a\\b/", "c.d", ".e"},
                    Case{"dir.with.dots/", "", "dir.with.dots/", "", ""}));

TEST(ParsePathLimits, LongComponentsAreCutTo255Characters) {
    const std::string longName(600, 'n');
    const std::string longExt = "." + std::string(600, 'e');
    const std::string longDir = "\\" + std::string(600, 'd') + "\\";
    const Parts parts = Parse("C:" + longDir + longName + longExt);
    EXPECT_EQ(parts.drive, "C:");
    EXPECT_EQ(parts.dir, longDir.substr(0, 255));
    EXPECT_EQ(parts.name, std::string(255, 'n'));
    EXPECT_EQ(parts.ext, longExt.substr(0, 255));
}

TEST(ParsePathLimits, NoOutputIsWrittenPastItsBuffer) {
    // Guard bytes after each 256-byte output must survive any input length.
    for (size_t length : {254u, 255u, 256u, 257u, 1000u}) {
        const std::string path = "\\\\srv\\share\\" + std::string(length, 'd') + "\\" +
                                 std::string(length, 'n') + "." + std::string(length, 'e');
        std::string drive(path.size() + 1, '\0');
        char out[3][256 + 8];
        std::memset(out, 0x5A, sizeof out);
        ParseAnyPath(path.c_str(), &drive[0], out[0], out[1], out[2]);
        for (auto &buffer : out) {
            EXPECT_LE(std::strlen(buffer), 255u);
            for (int i = 256; i < 264; ++i)
                EXPECT_EQ(buffer[i], 0x5A) << "length " << length;
        }
        EXPECT_STREQ(drive.c_str(), "\\\\srv\\share");
    }
}

TEST(ParsePathLimits, NetworkPrefixIsNotCut) {
    const std::string prefix = "\\\\" + std::string(400, 's') + "\\" + std::string(400, 'h');
    const Parts parts = Parse(prefix + "\\f.x");
    EXPECT_EQ(parts.drive, prefix);
    EXPECT_EQ(parts.dir, "\\");
    EXPECT_EQ(parts.name, "f");
}

} // namespace
