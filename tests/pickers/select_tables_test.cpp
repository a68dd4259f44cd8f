// The multiple table picker in a real dialog: available files, the Selected
// Files list, the list file written on "Open" and the view choice.
#include <gtest/gtest.h>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/select_tables.h"
#include "tests/frame/file_bytes.h"
#include "tests/pickers/dialog_driver.h"

namespace {

TEST(SelectMultipleTables, GathersTablesFromFoldersAndDrivesIntoTheListFile) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    const std::string listFile = std::string(folder) + "ortk-gathered.txt";
    DeleteFileA(listFile.c_str());
    MessageCapture capture;
    std::string seen; // "|" between entries
    long result = -2, view = -99;
    const std::string deep = DeepPath();
    const auto user = [&](HWND d) {
        // Each step: a folder or drive opened, entries of the Available Files
        // (1019) selected, a control notified; then a list: "id: count" and
        // its first entries.
        const struct {
            const char *open;
            std::vector<int> select;
            int notify, list;
        } steps[] = {{"", {}, 0, 1020},
                     {"", {}, 0, 1021},
                     {"", {}, 0, 1019}, // the root of m: holds folders only
                     {"maps\\", {1, 2}, 1023, 1019},
                     {"", {2}, 1019, 1022}, // double-clicked: no second entry
                     {"m:\\data\\", {0, 1}, 1023, 1022},
                     {"", {}, 1023, 1022}, // nothing selected: nothing added
                     {"q:", {}, 0, 1019},  // no medium: a warning, nothing changes
                     {"m:\\many\\", {}, 0, 1019},
                     {"m:\\caf\xe9 m\xfcller\\", {0}, 1023, 1019},
                     {"r:", {}, 0, 1019},
                     {"field data\\", {0}, 1019, 1022},
                     {"m:", {}, 0, 1019},
                     // fits9.tab gives a path of 259 characters, over10.tab one of 260.
                     {deep.c_str(), {0, 1}, 1023, 1022}};
        for (const auto &step : steps) {
            Open(d, step.open);
            Select(d, 1019, step.select);
            if (step.notify != 0)
                Notify(d, step.notify, step.notify == 1019 ? LBN_DBLCLK : BN_CLICKED);
            const Lines items = Items(d, step.list);
            seen += std::to_string(step.list) + ": " + std::to_string(items.size()) + "|";
            for (size_t i = 0; i < items.size() && i < 5; ++i)
                seen += items[i] + "|";
        }
        // "Remove File" takes the selected entries, a double-click one.
        Select(d, 1022, {1, 3});
        Notify(d, 1024);
        Select(d, 1022, {0});
        Notify(d, 1022, LBN_DBLCLK);
        seen += "1022: " + std::to_string(Items(d, 1022).size());
        SendDlgItemMessageA(d, 1021, CB_SETCURSEL, 3, 0);
        Notify(d, IDOK);
    };
    Drive("Open Multiple Tables", user,
          [&] { result = SelectMultipleTables(TestOwner(), 4, listFile.c_str(), &view); });
    EXPECT_EQ(
        seen,
        "1020: 1|*Tessaro|1021: 5|*New Mapper for All|New Mapper for Each|"
        "Current Mapper|Browser|No View|1019: 0|"
        "1019: 4|archive.tab|rivers.tab|roads.tab|towns.tab|"
        "1022: 2|m:\\maps\\rivers.tab|m:\\maps\\roads.tab|"
        "1022: "
        "4|m:\\maps\\rivers.tab|m:\\maps\\roads.tab|m:\\data\\parcels.tab|m:\\data\\roads.tab|"
        "1022: "
        "4|m:\\maps\\rivers.tab|m:\\maps\\roads.tab|m:\\data\\parcels.tab|m:\\data\\roads.tab|"
        "1019: 2|parcels.tab|roads.tab|"
        "1019: 3000|table0001.tab|table0002.tab|table0003.tab|table0004.tab|table0005.tab|"
        "1019: 1|stra\xdf"
        "e.tab|1019: 0|"
        "1022: "
        "6|m:\\maps\\rivers.tab|m:\\maps\\roads.tab|m:\\data\\parcels.tab|m:\\data\\roads.tab|"
        "m:\\caf\xe9 m\xfcller\\stra\xdf"
        "e.tab|1019: 0|"
        "1022: "
        "7|m:\\maps\\rivers.tab|m:\\maps\\roads.tab|m:\\data\\parcels.tab|m:\\data\\roads.tab|"
        "m:\\caf\xe9 m\xfcller\\stra\xdf"
        "e.tab|1022: 4");
    EXPECT_EQ(std::to_string(result) + " " + std::to_string(view), "1 4");
    EXPECT_EQ(FileBytes(listFile), "m:\\data\\parcels.tab\r\nm:\\caf\xe9 m\xfcller\\stra\xdf"
                                   "e.tab\r\nr:\\field data\\wells.tab\r\n" +
                                       DeepPath() + "fits9.tab\r\n");
    ExpectOneDriveWarning(capture);
}

TEST(SelectMultipleTables, UnwritableListFileWarnsTheDialogAndEndsAsCancelled) {
    MessageCapture capture;
    HWND shown = nullptr;
    long view = -99;
    Drive(
        "Open Multiple Tables",
        [&](HWND dialog) {
            shown = dialog;
            SendDlgItemMessageA(dialog, 1021, CB_SETCURSEL, 2, 0);
            Notify(dialog, IDOK);
        },
        [&] { EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, "m:\\no\\list.txt", &view), 0); });
    EXPECT_EQ(view, 3);
    ASSERT_EQ(capture.messages().size(), 1u);
    EXPECT_EQ(capture.messages()[0].owner, shown);
    EXPECT_EQ(capture.messages()[0].text + "|" + capture.messages()[0].caption,
              "Cannot create temporary file to store file names|WriteSelectedFileNamesToStorage");
    // Refused before any dialog: the view is the last one chosen.
    EXPECT_EQ(SelectMultipleTables(TestOwner(), 4, std::string(260, 'a').c_str(), &view), -1);
    EXPECT_EQ(view, 3);
    PreferredView = 0;
}

} // namespace
