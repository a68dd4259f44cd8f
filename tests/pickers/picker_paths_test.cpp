// The pickers' texts and paths, without the dialogs.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <utility>

#include "pickers/picker_paths.h"

namespace {

const std::string kDeep = "m:\\" + std::string(250, 'd') + "\\"; // 254 characters

TEST(PickerPaths, DrivesAndFileKindsAreNamedListedAndDrawnByTheirType) {
    // Per type code 0 to 7: listed or not, and the icon (see PickerIcon); then
    // drives by number and texts that name no drive.
    std::string seen;
    for (unsigned type = 0; type < 8; ++type)
        seen += std::to_string(IsListedDriveType(type)) + std::to_string(IconForDriveType(type));
    char text[4];
    PickerPath root;
    for (int drive : {1, 3, 26}) {
        FormatDriveText(drive, text);
        FormatDriveRoot(drive, root);
        seen += "|" + std::string(text) + " " + root + " " + std::to_string(DriveOfText(text));
    }
    for (const char *other : {"", "`:", "{:", "A:", "\xe1:"})
        seen += std::to_string(DriveOfText(other));
    EXPECT_EQ(seen, "0101101113121111|a: a:\\ 1|c: c:\\ 3|z: z:\\ 2600000");
    int count = 0;
    const char *const *tables = FilePatternsFor(4, &count);
    EXPECT_EQ(std::to_string(count) + tables[0] + tables[5],
              "6*.tab*.bil;*.bmp;*.gif;*.jpg;*.pcx;*.tga;*.tif");
    EXPECT_TRUE(std::strcmp(FilePatternsFor(5, &count)[0], "*.tvf") == 0 && count == 1);
    // Item top, bottom, text height and base unit: the text's and the icon's
    // places (the centring truncates toward zero), then item heights; then
    // the found entries the tree lists: folders, hidden ones too, but not "."
    // and "..".
    seen.clear();
    for (const auto &item : {std::array<int, 4>{0, 18, 16, 8}, {36, 54, 19, 7}, {0, 10, 15, 15}}) {
        const DriveItemLayout at = LayOutDriveItem(item[0], item[1], item[2], item[3]);
        for (const int place : {at.textLeft, at.textTop, at.iconLeft, at.iconTop})
            seen += std::to_string(place) + " ";
    }
    for (const unsigned height : {0u, 17u, 18u, 20u})
        seen += std::to_string(DriveItemHeight(height)) + " ";
    for (const auto &entry : {std::make_pair(0x10ul, "maps"),
                              {0x12ul, ".hidden"},
                              {0x20ul, "a"},
                              {0x10ul, "."},
                              {0x30ul, ".."},
                              {0x10ul, "..."}})
        seen += std::to_string(IsListedSubfolder(entry.first, entry.second));
    EXPECT_EQ(seen, "26 0 4 1 21 34 3 37 31 -3 5 1 18 18 18 20 110001");
}

// Each row: a folder and a text, the path made by appending them one after the
// other ("!" and the path as it was when refused), the pieces of the text as
// search patterns in the folder (the number visited, then each pattern), and
// the picked file's path.
TEST(PickerPaths, FolderPathsPatternsAndPickedFilesFitIn259CharactersOrAreRefused) {
    const auto visit = [](const char *pattern, void *seen) {
        *static_cast<std::string *>(seen) += std::string(pattern) + "|";
    };
    const std::string kA255 = std::string(255, 'a'), wk = "*.wk1;*.wk2;;*.wk4";
    const struct {
        std::string first, second, appended, patterns, picked;
    } rows[] = {
        {"c:\\", "maps", "c:\\maps\\", "1 c:\\maps|", "c:\\maps"},
        {"c:\\data", "maps\\", "c:\\data\\maps\\", "1 c:\\data\\maps\\|", "c:\\datamaps\\"},
        {"m:\\", kA255, "m:\\" + kA255 + "\\", "1 m:\\" + kA255 + "|", "m:\\" + kA255},
        {"m:\\", kA255 + "a", "!m:\\", "1 m:\\a" + kA255 + "|", "m:\\a" + kA255}, // 259
        {"m:\\a", kA255, "!m:\\a\\", "0 ", "m:\\a" + kA255}, // 260 with the backslash
        {"m:\\a", kA255 + "a", "!m:\\a\\", "0 ", "!"},
        {kDeep, "*.tab", "!" + kDeep, "1 " + kDeep + "*.tab|", kDeep + "*.tab"},
        {"", "*", "\\*\\", "1 \\*|", "*"},
        {"c:\\", wk, "c:\\" + wk + "\\", "4 c:\\*.wk1|c:\\*.wk2|c:\\|c:\\*.wk4|", "c:\\" + wk},
        {kDeep, "*.tabx;*.tab;*.x", "!" + kDeep, "2 " + kDeep + "*.tab|" + kDeep + "*.x|", "!"},
    };
    for (const auto &r : rows) {
        const char *folder = r.first.c_str(), *text = r.second.c_str();
        PickerPath path = "";
        std::string seen = AppendFolder(path, folder) ? "" : "?", patterns;
        seen += AppendFolder(path, text) ? path : "!" + std::string(path);
        const int visited = ForEachSearchPattern(folder, text, visit, &patterns);
        seen += "|" + std::to_string(visited) + " " + patterns + "|";
        std::strcpy(path, "unchanged");
        seen += ComposePickedPath(path, folder, text) ? path : "!" + std::string(path);
        EXPECT_EQ(seen, r.appended + "|" + r.patterns + "|" + r.picked) << r.first.size();
    }
}

TEST(PickerPaths, PathLinesAndResults) {
    // Capacity of the line in characters: the line for m:\maps\sub\.
    for (const auto &row : {std::make_pair(12L, "m:\\maps\\sub\\"), {11L, "m:\\...\\sub"}}) {
        char line[40];
        ComposePathLine(line, sizeof line, "m:\\maps\\sub\\", row.first, "m:", "sub");
        EXPECT_STREQ(line, row.second) << row.first;
    }
    // Buffer size and the characters stored; the result is the full length and
    // the byte after the NUL stays.
    const std::string selected = "c:\\data\\ab\\";
    for (const auto &row : {std::make_pair(-5L, 0), {10L, 10}, {11L, 11}, {40L, 11}}) {
        char directory[48];
        std::memset(directory, 'x', sizeof directory);
        EXPECT_EQ(CopyPickedDirectory(directory, row.first, selected.c_str()), 11);
        EXPECT_EQ(directory, selected.substr(0, row.second));
        EXPECT_EQ(directory[row.second + 1], 'x') << row.first;
    }
    for (const auto &r : {std::make_pair(-1LL, -1L), {0LL, 0L}, {1LL, 1L}, {-2LL, 1L}, {2LL, 1L}})
        EXPECT_EQ(TablesResult(r.first), r.second) << r.first;
}

} // namespace
