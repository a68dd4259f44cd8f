// The multiple table picker in a real dialog: template, available files,
// the Selected Files list, the list file and the view choice.
#include <direct.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/select_tables.h"
#include "tests/pickers/picker_templates.h"

namespace {

using Lines = std::vector<std::string>;

const char *const kTablesCaption = "Open Multiple Tables";

void StartOnDriveM() {
    ASSERT_EQ(_chdir("m:\\"), 0) << "the test prefix lacks drive m:";
}

std::string ListFilePath(const char *name) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

struct Outcome {
    long result = -2;
    long view = -99;
    bool found = false;
};

Outcome RunSelectTables(long kind, const std::string &listFile, const char *caption,
                        std::function<void(HWND)> script) {
    Outcome outcome;
    DialogDriver driver(caption, script);
    outcome.result = SelectMultipleTables(TestOwner(), kind, listFile.c_str(), &outcome.view);
    outcome.found = driver.found();
    return outcome;
}

int AverageCharWidth(HWND window) {
    HDC dc = GetDC(window);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    ReleaseDC(window, dc);
    return metrics.tmAveCharWidth;
}

TEST(SelectMultipleTables, TemplateAndInitialState) {
    StartOnDriveM();
    const std::string listFile = ListFilePath("ortk-initial.txt");
    std::remove(listFile.c_str());
    Lines differences, types, views, available, tree;
    std::string view, type;
    LRESULT selectedExtent = 0, availableExtent = -1;
    int selectedWidth = 0;
    const Outcome outcome = RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) {
        differences = CompareControls(dialog, TablesTemplateControls());
        types = ComboItems(GetDlgItem(dialog, 1020));
        type = ComboSelection(GetDlgItem(dialog, 1020));
        views = ComboItems(GetDlgItem(dialog, 1021));
        view = ComboSelection(GetDlgItem(dialog, 1021));
        available = ListItems(GetDlgItem(dialog, 1019));
        availableExtent = SendDlgItemMessageA(dialog, 1019, LB_GETHORIZONTALEXTENT, 0, 0);
        selectedExtent = SendDlgItemMessageA(dialog, 1022, LB_GETHORIZONTALEXTENT, 0, 0);
        selectedWidth = AverageCharWidth(GetDlgItem(dialog, 1022));
        tree = TreeLines(GetDlgItem(dialog, 1013));
        PressEscape(dialog);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(differences, Lines{});
    EXPECT_EQ(types, Lines{"Tessaro"});
    EXPECT_EQ(type, "Tessaro");
    EXPECT_EQ(views, (Lines{"New Mapper for All", "New Mapper for Each", "Current Mapper",
                            "Browser", "No View"}));
    EXPECT_EQ(view, "New Mapper for All");
    // The root of m: holds folders only: nothing listed, no extent.
    EXPECT_EQ(available, Lines{});
    EXPECT_EQ(availableExtent, 0);
    EXPECT_EQ(selectedExtent, 260 * selectedWidth);
    ASSERT_FALSE(tree.empty());
    EXPECT_EQ(tree[0], "m:\\ (open)+");
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(FileBytes(listFile), "<missing>") << "a cancelled dialog writes no list file";
}

TEST(SelectMultipleTables, GatheringTablesFromTwoFoldersWritesTheListFile) {
    StartOnDriveM();
    const std::string listFile = ListFilePath("ortk-gathered.txt");
    Lines inMaps, inData, afterAdds, afterRemove;
    LRESULT extent = 0;
    int width = 0;
    const Outcome outcome = RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) {
        HWND available = GetDlgItem(dialog, 1019);
        HWND selected = GetDlgItem(dialog, 1022);
        DoubleClickFolder(dialog, "maps");
        inMaps = ListItems(available);
        extent = SendMessageA(available, LB_GETHORIZONTALEXTENT, 0, 0);
        width = AverageCharWidth(available);
        // rivers.tab and roads.tab with "Add File", then roads.tab again by
        // double-click and again with "Add File": one entry each.
        SelectListItems(available, {1, 2});
        ClickButton(dialog, 1023);
        DoubleClickListItem(available, 2);
        ClickButton(dialog, 1023);
        DoubleClickFolder(dialog, "m:\\");
        DoubleClickFolder(dialog, "data");
        inData = ListItems(available);
        SelectListItems(available, {0, 1});
        ClickButton(dialog, 1023);
        // "Add File" with nothing selected does nothing.
        SelectListItems(available, {});
        ClickButton(dialog, 1023);
        afterAdds = ListItems(selected);
        // "Remove File" with nothing selected does nothing either.
        ClickButton(dialog, 1024);
        SelectListItems(selected, {1, 3});
        ClickButton(dialog, 1024);
        DoubleClickListItem(selected, 0);
        afterRemove = ListItems(selected);
        ClickButton(dialog, IDOK);
    });
    ASSERT_TRUE(outcome.found);
    // A folder whose name ends in .tab is listed with the tables.
    EXPECT_EQ(inMaps, (Lines{"archive.tab", "rivers.tab", "roads.tab", "towns.tab"}));
    EXPECT_EQ(extent, 11 * width);
    EXPECT_EQ(inData, (Lines{"parcels.tab", "roads.tab"}));
    EXPECT_EQ(afterAdds, (Lines{"m:\\maps\\rivers.tab", "m:\\maps\\roads.tab",
                                "m:\\data\\parcels.tab", "m:\\data\\roads.tab"}));
    EXPECT_EQ(afterRemove, (Lines{"m:\\data\\parcels.tab"}));
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.view, 1);
    EXPECT_EQ(FileBytes(listFile), "m:\\data\\parcels.tab\r\n");
    std::remove(listFile.c_str());
}

TEST(SelectMultipleTables, ResetListAndViewChoiceWithAnEmptyListGiveAnEmptyFile) {
    StartOnDriveM();
    const std::string listFile = ListFilePath("ortk-empty.txt");
    {
        FILE *old = std::fopen(listFile.c_str(), "wb");
        std::fputs("old contents\r\n", old);
        std::fclose(old);
    }
    Lines afterReset;
    const Outcome outcome = RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) {
        DoubleClickFolder(dialog, "maps");
        SelectListItems(GetDlgItem(dialog, 1019), {0, 1, 2, 3});
        ClickButton(dialog, 1023);
        ClickButton(dialog, 1025);
        afterReset = ListItems(GetDlgItem(dialog, 1022));
        SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 3, 0);
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(afterReset, Lines{});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(outcome.view, 4);
    EXPECT_EQ(FileBytes(listFile), "");

    // A later cancel reports the choice of the last "Open" and leaves the
    // file alone; before any "Open" of the process it would report 0.
    const Outcome cancelled = RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) {
        SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 1, 0);
        ClickButton(dialog, IDCANCEL);
    });
    EXPECT_EQ(cancelled.result, 0);
    EXPECT_EQ(cancelled.view, 4);
    EXPECT_EQ(FileBytes(listFile), "");
    PreferredView = 0;
    const Outcome fresh =
        RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) { PressEscape(dialog); });
    EXPECT_EQ(fresh.result, 0);
    EXPECT_EQ(fresh.view, 0);
    std::remove(listFile.c_str());
}

TEST(SelectMultipleTables, InterchangeModeListsTvfFiles) {
    StartOnDriveM();
    Lines types, inMaps, inData;
    const Outcome outcome = RunSelectTables(1, ListFilePath("ortk-tvf.txt"),
                                            "Open Multiple TVF Files", [&](HWND dialog) {
                                                types = ComboItems(GetDlgItem(dialog, 1020));
                                                DoubleClickFolder(dialog, "maps");
                                                inMaps = ListItems(GetDlgItem(dialog, 1019));
                                                DoubleClickFolder(dialog, "m:\\");
                                                DoubleClickFolder(dialog, "data");
                                                inData = ListItems(GetDlgItem(dialog, 1019));
                                                ClickButton(dialog, IDCANCEL);
                                            });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(types, Lines{"TVF/TVD files"});
    EXPECT_EQ(inMaps, Lines{"lakes.tvf"});
    EXPECT_EQ(inData, Lines{"survey.tvf"});
}

TEST(SelectMultipleTables, UnwritableListFileWarnsTheDialogAndEndsAsCancelled) {
    StartOnDriveM();
    MessageCapture capture;
    HWND dialogWindow = nullptr;
    const Outcome outcome =
        RunSelectTables(4, "m:\\no such folder\\list.txt", kTablesCaption, [&](HWND dialog) {
            dialogWindow = dialog;
            SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 2, 0);
            ClickButton(dialog, IDOK);
        });
    EXPECT_EQ(outcome.result, 0);
    EXPECT_EQ(outcome.view, 3);
    const std::vector<CapturedMessage> messages = capture.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].owner, dialogWindow);
    EXPECT_EQ(messages[0].text, "Cannot create temporary file to store file names");
    EXPECT_EQ(messages[0].caption, "WriteSelectedFileNamesToStorage");
    EXPECT_EQ(messages[0].flags, static_cast<UINT>(MB_OK));
}

TEST(SelectMultipleTables, DriveWithoutMediumKeepsTheFolderAndDrivesChangeTheList) {
    StartOnDriveM();
    MessageCapture capture;
    Lines beforeQ, afterQ, onR;
    std::string folderAfterQ;
    const std::string listFile = ListFilePath("ortk-drives.txt");
    const Outcome outcome = RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) {
        HWND available = GetDlgItem(dialog, 1019);
        DoubleClickFolder(dialog, "maps");
        beforeQ = ListItems(available);
        ChooseDrive(dialog, "q:");
        afterQ = ListItems(available);
        folderAfterQ = CurrentFolder;
        ChooseDrive(dialog, "r:");
        DoubleClickFolder(dialog, "field data");
        onR = ListItems(available);
        SelectListItems(available, {0});
        ClickButton(dialog, 1023);
        ClickButton(dialog, IDOK);
    });
    const std::vector<CapturedMessage> messages = capture.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].owner, TestOwner());
    EXPECT_EQ(messages[0].text, "Selected drive is not available.");
    EXPECT_EQ(messages[0].caption, "Warning");
    EXPECT_EQ(messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(afterQ, beforeQ);
    EXPECT_EQ(folderAfterQ, "m:\\maps\\");
    EXPECT_EQ(onR, Lines{"wells.tab"});
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(FileBytes(listFile), "r:\\field data\\wells.tab\r\n");
    std::remove(listFile.c_str());
}

TEST(SelectMultipleTables, DeepFoldersManyFilesAndNamesOutsideAscii) {
    StartOnDriveM();
    const std::string listFile = ListFilePath("ortk-deep.txt");
    Lines deep, cafe;
    LRESULT manyCount = 0;
    std::string firstMany, lastMany;
    const Outcome outcome = RunSelectTables(4, listFile, kTablesCaption, [&](HWND dialog) {
        HWND available = GetDlgItem(dialog, 1019);
        DoubleClickFolder(dialog, "many");
        manyCount = SendMessageA(available, LB_GETCOUNT, 0, 0);
        const Lines many = ListItems(available);
        firstMany = many.empty() ? "" : many.front();
        lastMany = many.empty() ? "" : many.back();
        DoubleClickFolder(dialog, "m:\\");
        DoubleClickFolder(dialog, "caf\xe9 m\xfcller");
        cafe = ListItems(available);
        SelectListItems(available, {0});
        ClickButton(dialog, 1023);
        DoubleClickFolder(dialog, "m:\\");
        Lines chain = {"deep"};
        for (int i = 1; i <= 26; ++i) {
            char name[16];
            std::snprintf(name, sizeof name, "level%02dx", i);
            chain.push_back(name);
        }
        chain.push_back("lastone");
        OpenFolders(dialog, chain);
        deep = ListItems(available);
        // fits9.tab gives a path of 259 characters, over10.tab one of 260.
        SelectListItems(available, {0, 1});
        ClickButton(dialog, 1023);
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(manyCount, 3000);
    EXPECT_EQ(firstMany, "table0001.tab");
    EXPECT_EQ(lastMany, "table3000.tab");
    EXPECT_EQ(cafe, Lines{"stra\xdf"
                          "e.tab"});
    EXPECT_EQ(deep, (Lines{"fits9.tab", "over10.tab"}));
    std::string deepPath = "m:\\deep\\";
    for (int i = 1; i <= 26; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "level%02dx\\", i);
        deepPath += name;
    }
    deepPath += "lastone\\fits9.tab";
    ASSERT_EQ(deepPath.size(), 259u);
    EXPECT_EQ(outcome.result, 1);
    EXPECT_EQ(FileBytes(listFile), "m:\\caf\xe9 m\xfcller\\stra\xdf"
                                   "e.tab\r\n" +
                                       deepPath + "\r\n");
    std::remove(listFile.c_str());
}

TEST(SelectMultipleTables, RefusedCallsAndAFailedStartWriteNoListFile) {
    const std::string listFile = ListFilePath("ortk-refused.txt");
    std::remove(listFile.c_str());
    PreferredView = 2;
    long view = -1;
    EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, nullptr, &view), -1);
    EXPECT_EQ(view, 2);
    const std::string tooLong = "c:\\" + std::string(257, 'a');
    view = -1;
    EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, tooLong.c_str(), &view), -1);
    EXPECT_EQ(view, 2);

    const HINSTANCE saved = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    view = -1;
    const long failed = SelectMultipleTables(TestOwner(), 4, listFile.c_str(), &view);
    g_moduleInstance = saved;
    EXPECT_EQ(failed, -1);
    EXPECT_EQ(view, 2);
    EXPECT_EQ(FileBytes(listFile), "<missing>");
    // Without a view to write the dialog still runs.
    long result = -2;
    {
        DialogDriver driver(kTablesCaption, [](HWND dialog) { ClickButton(dialog, IDCANCEL); });
        result = SelectMultipleTables(TestOwner(), 4, listFile.c_str(), nullptr);
    }
    EXPECT_EQ(result, 0);
    PreferredView = 0;
}

} // namespace
