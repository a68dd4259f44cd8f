// The multiple table picker in a real dialog: available files, the Selected
// Files list, the list file written on "Open" and the view choice. Real clicks
// and keys, Escape and a list file that cannot be written are played by
// tests/scripts/pickers-tables.sh.
#include <gtest/gtest.h>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/select_tables.h"
#include "tests/frame/file_bytes.h"
#include "tests/pickers/dialog_driver.h"
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>

namespace {

TEST(SelectMultipleTables, GathersTablesFromFoldersAndDrivesIntoTheListFile) {
    char folder[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, folder);
    const std::string listFile = std::string(folder) + "ortk-gathered.txt";
    DeleteFileA(listFile.c_str());
    MessageCapture capture;
    std::string seen, widths; // "|" between entries
    long result = -2, view = -99;
    const std::string deep = DeepPath(), wide = "m:\\" + LongName() + "\\";
    const auto user = [&](HWND d) {
        // Each step: a folder or drive opened, entries of the Available Files
        // (1019) selected, a control notified; then a list: "id: count" and
        // its first and last entries.
        const struct {
            const char *open;
            std::vector<int> select;
            int notify, list;
        } steps[] = {{"", {}, 0, 1019}, // the root of m: holds folders only
                     {"maps\\", {1, 2}, 1023, 1019},
                     {"", {2}, 1019, 1022}, // double-clicked: no second entry
                     {"m:\\data\\", {0, 1}, 1023, 1022},
                     {"q:", {}, 0, 1019}, // no medium: a warning, nothing changes
                     {"m:\\many\\", {}, 0, 1019},
                     {"m:\\caf\xe9 m\xfcller\\", {0}, 1023, 1019},
                     // fits9.tab gives a path of 259 characters, over10.tab one of 260.
                     {wide.c_str(), {0}, 1023, 1019},
                     {deep.c_str(), {0, 1}, 1023, 1022},
                     // A drive chosen right after the deepest folder.
                     {"r:", {}, 0, 1019},
                     {"field data\\", {0}, 1023, 1022}};
        seen = "1020: " + Entries(d, 1020) + "|1021: " + Entries(d, 1021) + "|";
        for (const auto &step : steps) {
            Open(d, step.open);
            Select(d, 1019, step.select);
            if (step.notify != 0)
                Notify(d, step.notify, step.notify == 1019 ? LBN_DBLCLK : BN_CLICKED);
            seen += std::to_string(step.list) + ": " + Entries(d, step.list) + " [" +
                    CurrentFolder + " " + std::to_string(TreeView_GetCount(GetDlgItem(d, 1013))) +
                    "]|";
            // The available files scroll as far as their longest name, in the
            // character width that gives the Selected Files 260 characters.
            HWND available = GetDlgItem(d, 1019);
            int longest = 0;
            for (int i = ListBox_GetCount(available) - 1; i >= 0; --i)
                longest = std::max(longest, ListBox_GetTextLen(available, i));
            widths += std::to_string(ListBox_GetHorizontalExtent(available) * 260 -
                                     longest * ListBox_GetHorizontalExtent(GetDlgItem(d, 1022))) +
                      (longest > 0 ? "" : "(empty)");
        }
        // "Remove File" takes the selected entries, a double-click one.
        Select(d, 1022, {1, 3});
        Notify(d, 1024);
        Select(d, 1022, {0});
        Notify(d, 1022, LBN_DBLCLK);
        seen += "1022: " + Entries(d, 1022);
        SendDlgItemMessageA(d, 1021, CB_SETCURSEL, 3, 0);
        Notify(d, IDOK);
    };
    Drive(user, [&] { result = SelectMultipleTables(TestOwner(), 4, listFile.c_str(), &view); });
    // After each list, the current path and the number of folders in the
    // tree: a drive chosen right after the deepest folder is shown.
    EXPECT_EQ(seen, "1020: 1 *Tessaro|1021: 5 *New Mapper for All New Mapper for Each Current "
                    "Mapper Browser No View|1019: 0 [m:\\ 9]|1019: 4 archive.tab towns.tab "
                    "[m:\\maps\\ 5]|1022: 2 m:\\maps\\rivers.tab m:\\maps\\roads.tab "
                    "[m:\\maps\\ 5]|1022: 4 m:\\maps\\rivers.tab m:\\data\\roads.tab "
                    "[m:\\data\\ 3]|1019: 2 parcels.tab roads.tab [m:\\data\\ 3]|1019: 3000 "
                    "table0001.tab table3000.tab [m:\\many\\ 2]|1019: 1 stra\xdf"
                    "e.tab [m:\\caf\xe9 m\xfcller\\ 2]|1019: 1 wide.tab [" +
                        wide + " 2]|1022: 7 m:\\maps\\rivers.tab " + deep + "fits9.tab [" + deep +
                        " 31]|1019: 0 [r:\\ 2]|1022: 8 m:\\maps\\rivers.tab r:\\field "
                        "data\\wells.tab [r:\\field data\\ 2]|1022: 5 m:\\data\\parcels.tab "
                        "r:\\field data\\wells.tab");
    EXPECT_EQ(widths, "0(empty)000000000(empty)0");
    EXPECT_EQ(std::to_string(result) + " " + std::to_string(view), "1 4");
    EXPECT_EQ(FileBytes(listFile), "m:\\data\\parcels.tab\r\nm:\\caf\xe9 m\xfcller\\stra\xdf"
                                   "e.tab\r\n" +
                                       wide + "wide.tab\r\n" + deep +
                                       "fits9.tab\r\nr:\\field data\\wells.tab\r\n");
    ExpectOneDriveWarning(capture);
    DeleteFileA(listFile.c_str());
}

} // namespace
