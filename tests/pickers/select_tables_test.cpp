// The multiple table picker in a real dialog: available files, the Selected
// Files list, the list file written on "Open" and the view choice.
#include <direct.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/select_tables.h"
#include "tests/pickers/dialog_driver.h"

namespace {

const char kTables[] = "Open Multiple Tables";

std::string TempFile(const char *name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    std::remove((std::string(folder) + name).c_str());
    return std::string(folder) + name;
}

struct Outcome {
    long result = -2;
    long view = -99;
    bool found = false;
};

Outcome SelectTables(long kind, const std::string &listFile, const char *caption,
                     const std::function<void(HWND)> &user) {
    EXPECT_EQ(_chdir("m:\\"), 0) << "the test prefix lacks drive m:";
    Outcome outcome;
    outcome.found = Drive(caption, user, [&] {
        outcome.result = SelectMultipleTables(TestOwner(), kind, listFile.c_str(), &outcome.view);
    });
    return outcome;
}

int AverageCharWidth(HWND window) {
    TEXTMETRICA metrics = {};
    HDC dc = GetDC(window);
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(window, dc);
    return metrics.tmAveCharWidth;
}

TEST(SelectMultipleTables, GathersTablesFromFoldersAndDrivesIntoTheListFile) {
    const std::string listFile = TempFile("ortk-gathered.txt");
    MessageCapture capture;
    Lines controls, types, views, seen[8];
    LRESULT extents[3] = {};
    int widths[2] = {};
    std::string folderAfterQ;
    const Outcome outcome = SelectTables(4, listFile, kTables, [&](HWND dialog) {
        const DWORD tab = WS_VISIBLE | WS_TABSTOP, label = SS_LEFT | WS_VISIBLE,
                    lists = LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER;
        controls = CompareControls(
            dialog,
            {{IDOK, "Button", "Open", 220, 248, 50, 14, BS_DEFPUSHBUTTON | tab},
             {IDCANCEL, "Button", "Cancel", 273, 248, 50, 14, BS_PUSHBUTTON | tab},
             {-1, "Static", "Look in", 5, 5, 28, 8, label},
             {1012, "ComboBox", "", 35, 3, 45, 95,
              CBS_DROPDOWNLIST | CBS_SORT | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | tab},
             {1013, "SysTreeView32", "", 3, 19, 125, 127, tab},
             {-1, "Static", "Available Files", 237, 153, 72, 8, SS_LEFT},
             {1019, "ListBox", "", 134, 19, 189, 127, LBS_SORT | LBS_EXTENDEDSEL | lists | tab},
             {-1, "Static", "Files of type:", 89, 5, 41, 8, label},
             {1020, "ComboBox", "", 134, 3, 189, 99, CBS_DROPDOWNLIST | WS_VSCROLL | tab},
             {-1, "Static", "Preferred View", 10, 250, 47, 8, label},
             {1021, "ComboBox", "", 60, 247, 134, 116, CBS_DROPDOWNLIST | WS_VSCROLL | tab},
             {-1, "Static", "Selected Files", 3, 154, 53, 8, label},
             {1022, "ListBox", "", 3, 165, 320, 78, LBS_MULTIPLESEL | lists | tab},
             {1023, "Button", "Add File", 113, 149, 50, 14, BS_PUSHBUTTON | tab},
             {1024, "Button", "Remove File", 173, 149, 50, 14, BS_PUSHBUTTON | tab},
             {1025, "Button", "Reset &List", 295, 149, 28, 14, BS_PUSHBUTTON | WS_TABSTOP}});
        types = Items(dialog, 1020);
        views = Items(dialog, 1021);
        widths[0] = AverageCharWidth(GetDlgItem(dialog, 1019));
        widths[1] = AverageCharWidth(GetDlgItem(dialog, 1022));
        extents[0] = SendDlgItemMessageA(dialog, 1022, LB_GETHORIZONTALEXTENT, 0, 0);
        extents[1] = SendDlgItemMessageA(dialog, 1019, LB_GETHORIZONTALEXTENT, 0, 0);
        seen[0] = TreeLines(dialog);
        seen[1] = Items(dialog, 1019); // the root of m: holds folders only
        OpenFolder(dialog, "maps");
        seen[2] = Items(dialog, 1019);
        extents[2] = SendDlgItemMessageA(dialog, 1019, LB_GETHORIZONTALEXTENT, 0, 0);
        // rivers.tab and roads.tab with "Add File", then roads.tab again by
        // double-click and with "Add File": one entry each.
        SelectItems(dialog, 1019, {1, 2});
        Click(dialog, 1023);
        DoubleClickItem(dialog, 1019, 2);
        Click(dialog, 1023);
        OpenFolder(dialog, "m:\\");
        OpenFolder(dialog, "data");
        seen[3] = Items(dialog, 1019);
        SelectItems(dialog, 1019, {0, 1});
        Click(dialog, 1023);
        SelectItems(dialog, 1019, {}); // "Add File" with nothing selected
        Click(dialog, 1023);
        seen[4] = Items(dialog, 1022);
        Click(dialog, 1024); // "Remove File" with nothing selected
        SelectItems(dialog, 1022, {1, 3});
        Click(dialog, 1024);
        DoubleClickItem(dialog, 1022, 0);
        seen[5] = Items(dialog, 1022);
        ChooseDrive(dialog, "q:"); // no medium: a warning, and nothing changes
        seen[6] = Items(dialog, 1019);
        folderAfterQ = CurrentFolder;
        ChooseDrive(dialog, "r:");
        OpenFolder(dialog, "field data");
        seen[7] = Items(dialog, 1019);
        SelectItems(dialog, 1019, {0});
        Click(dialog, 1023);
        Click(dialog, IDOK);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(controls, Lines{});
    EXPECT_EQ(types, Lines{"*Tessaro"});
    EXPECT_EQ(views, (Lines{"*New Mapper for All", "New Mapper for Each", "Current Mapper",
                            "Browser", "No View"}));
    EXPECT_EQ(extents[0], 260 * widths[1]);
    EXPECT_EQ(extents[1], 0);
    EXPECT_EQ(extents[2], 11 * widths[0]);
    ASSERT_FALSE(seen[0].empty());
    EXPECT_EQ(seen[0][0], "m:\\ (open)+");
    EXPECT_EQ(seen[1], Lines{});
    // A folder whose name ends in .tab is listed with the tables.
    EXPECT_EQ(seen[2], (Lines{"archive.tab", "rivers.tab", "roads.tab", "towns.tab"}));
    EXPECT_EQ(seen[3], (Lines{"parcels.tab", "roads.tab"}));
    EXPECT_EQ(seen[4], (Lines{"m:\\maps\\rivers.tab", "m:\\maps\\roads.tab",
                              "m:\\data\\parcels.tab", "m:\\data\\roads.tab"}));
    EXPECT_EQ(seen[5], Lines{"m:\\data\\parcels.tab"});
    EXPECT_EQ(seen[6], seen[3]);
    EXPECT_EQ(folderAfterQ, "m:\\data\\");
    EXPECT_EQ(seen[7], Lines{"wells.tab"});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.view, 1);
    EXPECT_EQ(FileBytes(listFile), "m:\\data\\parcels.tab\r\nr:\\field data\\wells.tab\r\n");
    ASSERT_EQ(capture.messages().size(), 1u);
    const CapturedMessage warning = capture.messages()[0];
    EXPECT_EQ(warning.owner, TestOwner());
    EXPECT_EQ(warning.text + "|" + warning.caption, "Selected drive is not available.|Warning");
    EXPECT_EQ(warning.flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST(SelectMultipleTables, ManyFilesNamesOutsideAsciiDeepFoldersAndReset) {
    const std::string listFile = TempFile("ortk-deep.txt");
    Lines afterReset, many, cafe, deep;
    std::string deepPath = "m:\\deep\\";
    for (int i = 1; i <= 26; ++i)
        deepPath += (i < 10 ? "level0" : "level") + std::to_string(i) + "x\\";
    deepPath += "lastone\\";
    const Outcome outcome = SelectTables(4, listFile, kTables, [&](HWND dialog) {
        OpenFolder(dialog, "maps");
        SelectItems(dialog, 1019, {0, 1, 2, 3});
        Click(dialog, 1023);
        Click(dialog, 1025); // "Reset List"
        afterReset = Items(dialog, 1022);
        OpenFolder(dialog, "m:\\");
        OpenFolder(dialog, "many");
        many = Items(dialog, 1019);
        OpenFolder(dialog, "m:\\");
        OpenFolder(dialog, "caf\xe9 m\xfcller");
        cafe = Items(dialog, 1019);
        SelectItems(dialog, 1019, {0});
        Click(dialog, 1023);
        OpenFolder(dialog, "m:\\");
        for (size_t at = 3; at < deepPath.size(); at = deepPath.find('\\', at) + 1)
            OpenFolder(dialog, deepPath.substr(at, deepPath.find('\\', at) - at));
        deep = Items(dialog, 1019);
        // fits9.tab gives a path of 259 characters, over10.tab one of 260.
        SelectItems(dialog, 1019, {0, 1});
        Click(dialog, 1023);
        SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 3, 0);
        Click(dialog, IDOK);
    });
    EXPECT_EQ(afterReset, Lines{});
    ASSERT_EQ(many.size(), 3000u);
    EXPECT_EQ(many.front() + " " + many.back(), "table0001.tab table3000.tab");
    EXPECT_EQ(cafe, Lines{"stra\xdf"
                          "e.tab"});
    EXPECT_EQ(deep, (Lines{"fits9.tab", "over10.tab"}));
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.view, 4);
    EXPECT_EQ(FileBytes(listFile), "m:\\caf\xe9 m\xfcller\\stra\xdf"
                                   "e.tab\r\n" +
                                       deepPath + "fits9.tab\r\n");
}

TEST(SelectMultipleTables, InterchangeModeListsTvfFilesAndCancelKeepsTheLastView) {
    const std::string listFile = TempFile("ortk-tvf.txt");
    PreferredView = 4;
    Lines types, inMaps, inData;
    const Outcome outcome = SelectTables(1, listFile, "Open Multiple TVF Files", [&](HWND dialog) {
        types = Items(dialog, 1020);
        OpenFolder(dialog, "maps");
        inMaps = Items(dialog, 1019);
        OpenFolder(dialog, "m:\\");
        OpenFolder(dialog, "data");
        inData = Items(dialog, 1019);
        SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 1, 0);
        Click(dialog, IDCANCEL);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(types, Lines{"*TVF/TVD files"});
    EXPECT_EQ(inMaps, Lines{"lakes.tvf"});
    EXPECT_EQ(inData, Lines{"survey.tvf"});
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.view, 4);
    EXPECT_EQ(FileBytes(listFile), "<missing>");
    // Before any "Open" of the process the view is 0.
    PreferredView = 0;
    const Outcome fresh = SelectTables(4, listFile, kTables, [](HWND dialog) {
        PostMessageA(GetDlgItem(dialog, 1012), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    });
    EXPECT_EQ(fresh.result, 0);
    EXPECT_EQ(fresh.view, 0);
}

TEST(SelectMultipleTables, UnwritableListFileWarnsTheDialogAndEndsAsCancelled) {
    MessageCapture capture;
    HWND shown = nullptr;
    const Outcome outcome =
        SelectTables(4, "m:\\no such folder\\list.txt", kTables, [&](HWND dialog) {
            shown = dialog;
            SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 2, 0);
            Click(dialog, IDOK);
        });
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.view, 3);
    ASSERT_EQ(capture.messages().size(), 1u);
    const CapturedMessage warning = capture.messages()[0];
    EXPECT_EQ(warning.owner, shown);
    EXPECT_EQ(warning.text + "|" + warning.caption,
              "Cannot create temporary file to store file names|WriteSelectedFileNamesToStorage");
    EXPECT_EQ(warning.flags, static_cast<UINT>(MB_OK));
}

TEST(SelectMultipleTables, RefusedCallsAndAFailedStartWriteNoListFile) {
    const std::string listFile = TempFile("ortk-refused.txt");
    PreferredView = 2;
    long views[3] = {-1, -1, -1};
    EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, nullptr, &views[0]), -1);
    const std::string tooLong = "c:\\" + std::string(257, 'a');
    EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, tooLong.c_str(), &views[1]), -1);
    const HINSTANCE saved = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll"); // no dialog template there
    EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, listFile.c_str(), &views[2]), -1);
    g_moduleInstance = saved;
    EXPECT_EQ(std::vector<long>(views, views + 3), (std::vector<long>{2, 2, 2}));
    EXPECT_EQ(FileBytes(listFile), "<missing>");
    // Without a view to write the dialog still runs.
    EXPECT_TRUE(Drive(
        kTables, [](HWND dialog) { Click(dialog, IDCANCEL); },
        [&] { EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, listFile.c_str(), nullptr), 0); }));
    PreferredView = 0;
}

} // namespace
