// The folder picker in a real dialog on the prepared drives (m: fixed with the
// test tree, n: network, o: CD-ROM, q: CD-ROM without a medium, r: removable).
// OK by Return and the Cancel button are played by tests/scripts/pickers-directory.sh.
#include <direct.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/drive_tree.h"
#include "tests/pickers/dialog_driver.h"

#include <commctrl.h>

namespace {

TEST(SelectDirectory, WalksFoldersAndDrivesAndReturnsTheLastOpenedCutToTheBuffer) {
    MessageCapture capture;
    std::string seen; // "|" after each entry
    char buffer[300];
    std::memset(buffer, 'x', sizeof buffer);
    long result = -2;
    const auto user = [&](HWND dialog) {
        seen += Entries(dialog, 1012) + "|focus " + std::to_string(GetDlgCtrlID(GetFocus())) +
                "|caption " + std::to_string(GetWindowTextLengthA(dialog)) +
                (SendDlgItemMessageA(dialog, 1013, TVM_GETIMAGELIST, 0, 0) ? "|images|" : "||");
        // Each step, then the path line, the number of folders in the tree
        // and its last one. q: has no medium: a warning, and nothing changes.
        HWND tree = GetDlgItem(dialog, 1013);
        for (const std::string &step : std::vector<std::string>{
                 "", "maps\\", "sub folder\\", "m:\\", "data\\",
                 "q:", "r:", "m:", "m:\\" + LongName() + "\\", DeepPath(), "toodeep12\\"}) {
            Open(dialog, step);
            seen += WindowText(GetDlgItem(dialog, 1014)) + " " +
                    std::to_string(TreeView_GetCount(tree)) + " " +
                    ItemText(tree, TreeView_GetLastVisible(tree), true) + "|";
        }
        seen += "current drive " + std::to_string(_getdrive()) + "|";
        Open(dialog, "fits8dir\\");
        Notify(dialog, IDOK);
    };
    // The caption is cut to 259 characters, the result to the buffer's size.
    Drive(user, [&] {
        result = SelectDirectory(TestOwner(), std::string(400, 'T').c_str(), buffer, 250);
    });
    // A folder without subfolders opens to an empty level; opening the root
    // drops the chain. A chain of 250 characters is shown shortened; a folder
    // that would need 260 is refused like one that cannot be entered.
    // A folder name of 240 characters is shown after the drive.
    EXPECT_EQ(seen, "7 c:3 *m:3 n:4 o:5 q:5 r:2 z:3|focus 1012|caption 259|images|"
                    "m:\\ 9 1 maps (closed)|m:\\maps\\ 5 2 sub folder (closed)|"
                    "m:\\maps\\sub folder\\ 3 2 sub folder (open)|m:\\ 9 1 maps (closed)|"
                    "m:\\data\\ 3 2 parcels (closed)|m:\\data\\ 3 2 parcels (closed)|"
                    "r:\\ 2 1 field data (closed)|m:\\ 9 1 maps (closed)|m:\\...\\" +
                        LongName() + " 2 1 " + LongName() +
                        " (open)|"
                        "m:\\...\\lastone 31 29 toodeep12 (closed)|"
                        "m:\\...\\lastone 31 29 toodeep12 (open)|current drive 13|");
    EXPECT_EQ(std::to_string(result) + " " + buffer, "259 " + DeepPath().substr(0, 250));
    EXPECT_EQ(buffer[251], 'x') << "written past the NUL";
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, (DeepPath() + "fits8dir").c_str());
    ExpectOneDriveWarning(capture);
    // A module without the dialog template or the icons.
    const HINSTANCE saved = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    char directory[16] = "unchanged";
    EXPECT_EQ(SelectDirectory(TestOwner(), "No buffer", nullptr, 15), -1);
    EXPECT_EQ(SelectDirectory(TestOwner(), "No template", directory, 15), -1);
    EXPECT_STREQ(directory, "");
    EXPECT_EQ(LoadPickerIcons(), 0);
    g_moduleInstance = saved;
}

} // namespace
