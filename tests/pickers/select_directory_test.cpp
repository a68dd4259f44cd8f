// The folder picker in a real dialog on the prepared drives (m: fixed with the
// test tree, n: network, o: CD-ROM, q: CD-ROM without a medium, r: removable).
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

// "result buffer" of a dialog that user drives; nothing may be written past
// the buffer's NUL.
std::string SelectFolder(const std::string &title, long size,
                         const std::function<void(HWND)> &user) {
    char buffer[300];
    std::memset(buffer, 'x', sizeof buffer);
    long result = -2;
    Drive(title.substr(0, 259), user,
          [&] { result = SelectDirectory(TestOwner(), title.c_str(), buffer, size); });
    EXPECT_EQ(buffer[std::strlen(buffer) + 1], 'x') << "written past the NUL";
    return std::to_string(result) + " " + buffer;
}

TEST(SelectDirectory, WalksFoldersAndDrivesAndReturnsTheLastOpened) {
    MessageCapture capture;
    std::string seen; // "|" after each entry; "~" stands for 56 spaces
    const std::string outcome = SelectFolder("Pick a folder", 300, [&](HWND dialog) {
        const Lines drives = Items(dialog, 1012);
        for (size_t i = 0; i < drives.size(); ++i)
            seen += drives[i] +
                    std::to_string(SendDlgItemMessageA(dialog, 1012, CB_GETITEMDATA, i, 0)) + "|";
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        seen += "focus " + std::to_string(GetDlgCtrlID(info.hwndFocus)) + "|";
        seen += SendDlgItemMessageA(dialog, 1013, TVM_GETIMAGELIST, 0, 0) ? "images|" : "|";
        // Each step, then the path line and the tree's last three lines. q:
        // has no medium: a warning, and nothing changes.
        for (const std::string &step : Lines{"", "maps\\", "sub folder\\", "m:\\", "data\\",
                                             "q:", "r:", "m:", DeepPath(), "toodeep12\\"}) {
            Open(dialog, step);
            seen += WindowText(GetDlgItem(dialog, 1014)) + "|";
            const Lines tree = TreeLines(dialog);
            for (size_t i = tree.size() > 3 ? tree.size() - 3 : 0; i < tree.size(); ++i)
                seen +=
                    (tree[i].find(std::string(56, ' ')) == 0 ? "~" + tree[i].substr(56) : tree[i]) +
                    "|";
        }
        seen += "current drive " + std::to_string(_getdrive()) + "|";
        Open(dialog, "fits8dir\\");
        Notify(dialog, IDOK);
    });
    // A folder without subfolders opens to an empty level; opening the root
    // drops the chain. A chain of 250 characters is shown shortened; a folder
    // that would need 260 is refused like one that cannot be entered.
    EXPECT_EQ(
        seen,
        "c:3|*m:3|n:4|o:5|q:5|r:2|z:3|focus 1012|images|"
        "m:\\|  empty (closed)|  many (closed)|  maps (closed)|"
        "m:\\maps\\|    .hidden maps (closed)|    archive.tab (closed)|    sub folder (closed)|"
        "m:\\maps\\sub folder\\|m:\\ (open)+|  maps (open)+|    sub folder (open)|"
        "m:\\|  empty (closed)|  many (closed)|  maps (closed)|"
        "m:\\data\\|m:\\ (open)+|  data (open)+|    parcels (closed)|"
        "m:\\data\\|m:\\ (open)+|  data (open)+|    parcels (closed)|"
        "r:\\|r:\\ (open)+|  field data (closed)|"
        "m:\\|  empty (closed)|  many (closed)|  maps (closed)|"
        "m:\\...\\lastone|~lastone (open)+|~  fits8dir (closed)|~  toodeep12 (closed)|"
        "m:\\...\\lastone|~lastone (open)+|~  fits8dir (closed)|~  toodeep12 (open)|"
        "current drive 13|");
    EXPECT_EQ(outcome, "259 " + DeepPath() + "fits8dir\\");
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, (DeepPath() + "fits8dir").c_str());
    EXPECT_EQ(g_ownerWindow, TestOwner());
    ExpectOneDriveWarning(capture);
}

TEST(SelectDirectory, SizeCutsTheResultCancellingGivesNothingAndFailedStartsMinusOne) {
    // Ended by OK, Cancel, Escape or Close; the caption is cut to 259.
    const struct {
        long size;
        UINT ending;
        const char *outcome;
    } cases[] = {{7, IDOK, "8 m:\\maps"},
                 {0, IDOK, "8 "},
                 {9, IDCANCEL, "0 "},
                 {9, VK_ESCAPE, "0 "},
                 {9, WM_CLOSE, "0 "}};
    for (const auto &c : cases)
        EXPECT_EQ(SelectFolder(std::string(400, 'T'), c.size,
                               [&](HWND dialog) {
                                   EXPECT_EQ(GetWindowTextLengthA(dialog), 259);
                                   Open(dialog, "maps\\");
                                   if (c.ending == VK_ESCAPE)
                                       PostMessageA(GetDlgItem(dialog, 1012), WM_KEYDOWN, VK_ESCAPE,
                                                    0x00010001);
                                   else if (c.ending == WM_CLOSE)
                                       SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
                                   else
                                       Notify(dialog, c.ending);
                               }),
                  c.outcome)
            << c.size << " " << c.ending;
    // A module without the dialog template or the icons.
    const HINSTANCE saved = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    char directory[16] = "unchanged";
    EXPECT_EQ(SelectDirectory(TestOwner(), "No template", directory, 15), -1);
    EXPECT_STREQ(directory, "");
    EXPECT_EQ(LoadPickerIcons(), 0);
    g_moduleInstance = saved;
    EXPECT_EQ(SelectDirectory(TestOwner(), "Null buffer", nullptr, 10), -1);
}

// Run by the picker sessions (tests/scripts/pickers-*.sh) against ortkcall's
// dialog: prints the text of control ORTK_PROBE_ID of the dialog captioned
// ORTK_PROBE_CAPTION, or a list box's first entries separated by "|".
TEST(SessionProbe, DISABLED_ControlText) {
    HWND dialog = FindWindowA("#32770", std::getenv("ORTK_PROBE_CAPTION"));
    HWND control = GetDlgItem(dialog, std::atoi(std::getenv("ORTK_PROBE_ID")));
    ASSERT_NE(control, nullptr);
    std::string text = WindowText(control);
    const LRESULT count = SendMessageA(control, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count && i < 8; ++i) {
        // Wine passes another process's list entry on as UTF-16 only.
        wchar_t wide[300] = L"";
        char item[600] = "";
        SendMessageW(control, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide));
        WideCharToMultiByte(CP_ACP, 0, wide, -1, item, sizeof item, nullptr, nullptr);
        text += (i > 0 ? "|" : "") + std::string(item);
    }
    std::printf("probe=%s\n", text.c_str());
}

} // namespace
