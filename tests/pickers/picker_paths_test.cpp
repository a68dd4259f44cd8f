// The pickers' texts and paths, without the dialogs.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <string>
#include <utility>

#include "pickers/picker_paths.h"

namespace {

const std::string kDeep = "m:\\" + std::string(250, 'd') + "\\"; // 254 characters
const std::string kA255 = std::string(255, 'a');

TEST(PickerPaths, DrivesAreNamedListedAndDrawnByTheirType) {
    // Per type code 0 to 7: listed or not, and the icon (see PickerIcon).
    std::string seen;
    for (unsigned type = 0; type < 8; ++type)
        seen += std::to_string(IsListedDriveType(type)) + std::to_string(IconForDriveType(type));
    EXPECT_EQ(seen, "0101101113121111");
    char text[4];
    PickerPath root;
    seen.clear();
    for (int drive : {1, 3, 26}) {
        FormatDriveText(drive, text);
        FormatDriveRoot(drive, root);
        seen += std::string(text) + " " + root + " " + std::to_string(DriveOfText(text)) + "|";
    }
    EXPECT_EQ(seen, "a: a:\\ 1|c: c:\\ 3|z: z:\\ 26|");
    for (const char *other : {"", "`:", "{:", "A:", "\xe1:"})
        EXPECT_EQ(DriveOfText(other), 0) << other;
    // Item top, bottom, text height and base unit: the text's and the icon's
    // places (the centring truncates toward zero), then item heights.
    seen.clear();
    for (const auto &item : {std::array<int, 4>{0, 18, 16, 8}, {36, 54, 19, 7}, {0, 10, 15, 15}}) {
        const DriveItemLayout at = LayOutDriveItem(item[0], item[1], item[2], item[3]);
        char places[64];
        std::snprintf(places, sizeof places, "%d %d %d %d|", at.textLeft, at.textTop, at.iconLeft,
                      at.iconTop);
        seen += places;
    }
    for (const unsigned height : {0u, 17u, 18u, 20u})
        seen += std::to_string(DriveItemHeight(height)) + " ";
    EXPECT_EQ(seen, "26 0 4 1|21 34 3 37|31 -3 5 1|18 18 18 20 ");
    // Found entries the tree lists: folders, hidden ones too, but not "." and "..".
    seen.clear();
    for (const auto &entry : {std::make_pair(0x10ul, "maps"),
                              {0x12ul, ".hidden"},
                              {0x20ul, "a"},
                              {0x10ul, "."},
                              {0x30ul, ".."},
                              {0x10ul, "..."}})
        seen += std::to_string(IsListedSubfolder(entry.first, entry.second));
    EXPECT_EQ(seen, "110001");
}

// Each row: texts appended one after the other, or a folder and a piece, and
// the path made ("!" and the path as it was when refused).
TEST(PickerPaths, FolderPathsPatternsAndPickedFilesFitIn259CharactersOrAreRefused) {
    const struct {
        std::string first, second, appended, pattern, picked;
    } rows[] = {
        {"c:\\", "maps", "c:\\maps\\", "c:\\maps", "c:\\maps"},
        {"c:\\data", "maps\\", "c:\\data\\maps\\", "c:\\data\\maps\\", "c:\\datamaps\\"},
        {"m:\\", kA255, "m:\\" + kA255 + "\\", "m:\\" + kA255, "m:\\" + kA255},
        {"m:\\", kA255 + "a", "!m:\\", "m:\\a" + kA255, "m:\\a" + kA255}, // 259
        {"m:\\", kA255 + "\\", "m:\\" + kA255 + "\\", "m:\\" + kA255 + "\\", "m:\\" + kA255 + "\\"},
        {"m:\\a", kA255, "!m:\\a\\", "!", "m:\\a" + kA255}, // 260 with the backslash
        {"m:\\a", kA255 + "a", "!m:\\a\\", "!", "!"},
        {kDeep, "*.tab", "!" + kDeep, kDeep + "*.tab", kDeep + "*.tab"},
        {kDeep, "*.tabx", "!" + kDeep, "!", "!"},
        {kDeep.substr(0, 253), "*.tab", "!" + kDeep, kDeep + "*.tab",
         kDeep.substr(0, 253) + "*.tab"},
        {"", "*", "\\*\\", "\\*", "*"},
    };
    for (const auto &r : rows) {
        PickerPath path = "";
        std::string seen = AppendFolder(path, r.first.c_str()) ? "" : "?";
        seen += AppendFolder(path, r.second.c_str()) ? path : "!" + std::string(path);
        std::strcpy(path, "unchanged");
        seen += "|";
        seen += ComposeSearchPattern(path, r.first.c_str(), r.second.c_str(), r.second.size())
                    ? path
                    : "!";
        std::strcpy(path, "unchanged");
        seen += "|";
        seen += ComposePickedPath(path, r.first.c_str(), r.second.c_str())
                    ? path
                    : "!" + std::string(path);
        EXPECT_EQ(seen, r.appended + "|" + r.pattern + "|" + r.picked) << r.first.size();
    }
}

TEST(PickerPaths, EachPatternPieceIsSearchedInTheFolderInOrder) {
    const auto visit = [](const char *pattern, void *seen) {
        *static_cast<std::string *>(seen) += std::string(pattern) + "|";
    };
    // Folder, patterns, then the number visited and the patterns searched.
    const std::string rows[][3] = {
        {"c:\\maps\\", "*.tab", "1 c:\\maps\\*.tab|"},
        {"c:\\", "*.wk1;*.wk2;;*.wk4", "4 c:\\*.wk1|c:\\*.wk2|c:\\|c:\\*.wk4|"},
        {kDeep, "*.tabxy;*.tab;*.x", "2 " + kDeep + "*.tab|" + kDeep + "*.x|"},
    };
    for (const auto &r : rows) {
        std::string seen;
        const int visited = ForEachSearchPattern(r[0].c_str(), r[1].c_str(), visit, &seen);
        EXPECT_EQ(std::to_string(visited) + " " + seen, r[2]);
    }
    int count = 0;
    const char *const *tables = FilePatternsFor(4, &count);
    EXPECT_EQ(std::to_string(count) + tables[0] + tables[5],
              "6*.tab*.bil;*.bmp;*.gif;*.jpg;*.pcx;*.tga;*.tif");
    for (long kind : {0L, 1L, 3L, 5L}) {
        EXPECT_STREQ(FilePatternsFor(kind, &count)[0], "*.tvf");
        EXPECT_EQ(count, 1);
    }
}

TEST(PickerPaths, PathLinesAndResults) {
    // Capacity of the line in characters: the line for m:\maps\sub\.
    for (const auto &row :
         {std::make_pair(12L, "m:\\maps\\sub\\"), {11L, "m:\\...\\sub"}, {0L, "m:\\...\\sub"}}) {
        char line[40];
        ComposePathLine(line, sizeof line, "m:\\maps\\sub\\", row.first, "m:", "sub");
        EXPECT_STREQ(line, row.second) << row.first;
    }
    // Buffer size: what is stored; the result is the full length and the
    // byte after the NUL stays.
    for (const auto &row : {std::make_pair(-5L, ""),
                            {0L, ""},
                            {3L, "c:\\"},
                            {10L, "c:\\data\\ab"},
                            {11L, "c:\\data\\ab\\"},
                            {40L, "c:\\data\\ab\\"}}) {
        char directory[48];
        std::memset(directory, 'x', sizeof directory);
        EXPECT_EQ(CopyPickedDirectory(directory, row.first, "c:\\data\\ab\\"), 11);
        EXPECT_STREQ(directory, row.second);
        EXPECT_EQ(directory[std::strlen(row.second) + 1], 'x') << row.first;
    }
    for (const auto &r : {std::make_pair(-1LL, -1L), {0LL, 0L}, {1LL, 1L}, {-2LL, 1L}, {2LL, 1L}})
        EXPECT_EQ(TablesResult(r.first), r.second) << r.first;
}

} // namespace
