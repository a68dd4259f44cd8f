// The folder picker in a real dialog on the prepared drives (m: fixed with the
// test tree, n: network, o: CD-ROM, q: CD-ROM without a medium, r:
// removable), and the drive items and icons it shares with the table picker.
#include <direct.h>
#include <gtest/gtest.h>

#include <cstring>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/drive_tree.h"
#include "tests/pickers/dialog_driver.h"

#include <commctrl.h>

namespace {

struct Outcome {
    long result = -2;
    std::string directory;
    bool found = false;
};

Outcome SelectFolder(const std::string &title, long size, const std::function<void(HWND)> &user) {
    EXPECT_EQ(_chdir("m:\\"), 0) << "the test prefix lacks drive m:";
    Outcome outcome;
    char buffer[300];
    std::memset(buffer, 'x', sizeof buffer);
    outcome.found = Drive(title, user, [&] {
        outcome.result = SelectDirectory(TestOwner(), title.c_str(), buffer, size);
    });
    outcome.directory = buffer;
    EXPECT_EQ(buffer[outcome.directory.size() + 1], 'x') << "written past the NUL";
    return outcome;
}

const Lines kRootOfM = {"m:\\ (open)+",    "  .hidden (closed)", "  caf\xe9 m\xfcller (closed)",
                        "  data (closed)", "  deep (closed)",    "  empty (closed)",
                        "  many (closed)", "  maps (closed)"};

TEST(SelectDirectory, WalksFoldersAndDrivesAndReturnsTheLastOpened) {
    MessageCapture capture;
    Lines controls, drives, trees[6], lines;
    std::vector<LRESULT> types;
    int focus = 0;
    bool images = false;
    int driveDuringDialog = 0;
    const Outcome outcome = SelectFolder("Pick a folder", 260, [&](HWND dialog) {
        const DWORD tab = WS_VISIBLE | WS_TABSTOP, label = SS_LEFT | WS_GROUP | WS_VISIBLE;
        controls = CompareControls(
            dialog,
            {{IDOK, "Button", "OK", 186, 6, 50, 14, BS_DEFPUSHBUTTON | tab},
             {IDCANCEL, "Button", "Cancel", 186, 23, 50, 14, BS_PUSHBUTTON | tab},
             {-1, "Static", "Dri&ves:", 6, 5, 22, 8, label},
             {-1, "Static", "&Directories:", 83, 5, 35, 8, label},
             {1012, "ComboBox", "", 6, 14, 61, 30,
              CBS_DROPDOWNLIST | CBS_SORT | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | tab},
             {1013, "SysTreeView32", "", 83, 14, 91, 61, WS_BORDER | TVS_DISABLEDRAGDROP | tab},
             {1014, "Static", "m:\\", 5, 87, 234, 10, label}});
        drives = Items(dialog, 1012);
        for (int i = 0; i < static_cast<int>(drives.size()); ++i)
            types.push_back(SendDlgItemMessageA(dialog, 1012, CB_GETITEMDATA, i, 0));
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        focus = GetDlgCtrlID(info.hwndFocus);
        images = SendDlgItemMessageA(dialog, 1013, TVM_GETIMAGELIST, TVSIL_NORMAL, 0) != 0;
        const auto step = [&](int index) {
            trees[index] = TreeLines(dialog);
            lines.push_back(WindowText(dialog) + " " + WindowText(GetDlgItem(dialog, 1014)));
        };
        step(0);
        OpenFolder(dialog, "maps");
        step(1);
        OpenFolder(dialog, "sub folder");
        step(2);
        OpenFolder(dialog, "m:\\");
        step(3);
        OpenFolder(dialog, "data");
        ChooseDrive(dialog, "q:"); // no medium: a warning, and nothing changes
        step(4);
        ChooseDrive(dialog, "c:"); // the first entry of the list
        lines.push_back(TreeLines(dialog).at(0));
        ChooseDrive(dialog, "r:");
        step(5);
        driveDuringDialog = _getdrive();
        OpenFolder(dialog, "field data");
        Click(dialog, IDOK);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(controls, Lines{});
    EXPECT_EQ(drives, (Lines{"c:", "*m:", "n:", "o:", "q:", "r:", "z:"}));
    EXPECT_EQ(types, (std::vector<LRESULT>{3, 3, 4, 5, 5, 2, 3}));
    EXPECT_EQ(focus, 1012);
    EXPECT_TRUE(images) << "the tree has no folder images";
    EXPECT_EQ(trees[0], kRootOfM);
    EXPECT_EQ(trees[1], (Lines{"m:\\ (open)+", "  maps (open)+", "    .hidden maps (closed)",
                               "    archive.tab (closed)", "    sub folder (closed)"}));
    // A folder without subfolders opens to an empty level; opening the root
    // drops the chain and lists its subfolders anew.
    EXPECT_EQ(trees[2], (Lines{"m:\\ (open)+", "  maps (open)+", "    sub folder (open)"}));
    EXPECT_EQ(trees[3], kRootOfM);
    EXPECT_EQ(trees[4], (Lines{"m:\\ (open)+", "  data (open)+", "    parcels (closed)"}));
    EXPECT_EQ(trees[5], (Lines{"r:\\ (open)+", "  field data (closed)"}));
    EXPECT_EQ(lines, (Lines{"Pick a folder m:\\", "Pick a folder m:\\maps\\",
                            "Pick a folder m:\\maps\\sub folder\\", "Pick a folder m:\\",
                            "Pick a folder m:\\data\\", "c:\\ (open)+", "Pick a folder r:\\"}));
    // A drive is made current only to test it: the start drive stays current.
    EXPECT_EQ(driveDuringDialog, 13);
    EXPECT_EQ(outcome.result, 14);
    EXPECT_EQ(outcome.directory, "r:\\field data\\");
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, "r:\\field data");
    EXPECT_EQ(g_ownerWindow, TestOwner());
    ASSERT_EQ(capture.messages().size(), 1u);
    const CapturedMessage warning = capture.messages()[0];
    EXPECT_EQ(warning.owner, TestOwner());
    EXPECT_EQ(warning.text + "|" + warning.caption, "Selected drive is not available.|Warning");
    EXPECT_EQ(warning.flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

TEST(SelectDirectory, SizeCutsWhatIsStoredAndCancellingReturnsNothing) {
    const struct {
        long size;
        const char *stored;
        int ending; // 0 OK, 1 Cancel, 2 Escape, 3 Close
    } cases[] = {{260, "m:\\maps\\", 0},
                 {7, "m:\\maps", 0},
                 {1, "m", 0},
                 {0, "", 0},
                 {-5, "", 0},
                 {9, "", 1},
                 {9, "", 2},
                 {9, "", 3}};
    for (const auto &c : cases) {
        const Outcome outcome = SelectFolder("Sizes", c.size, [&](HWND dialog) {
            OpenFolder(dialog, "maps");
            if (c.ending < 2)
                Click(dialog, c.ending == 0 ? IDOK : IDCANCEL);
            else if (c.ending == 2)
                PostMessageA(GetDlgItem(dialog, 1012), WM_KEYDOWN, VK_ESCAPE, 0x00010001);
            else
                SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
        });
        EXPECT_EQ(outcome.result, c.ending == 0 ? 8 : 0) << c.size << " " << c.ending;
        EXPECT_EQ(outcome.directory, c.stored) << c.size << " " << c.ending;
    }
}

TEST(SelectDirectory, DeepFoldersShortenThePathLineAndRefuseOverLongPaths) {
    std::string deepPath = "m:\\deep\\", lineDeep, lineRefused;
    for (int i = 1; i <= 26; ++i)
        deepPath += (i < 10 ? "level0" : "level") + std::to_string(i) + "x\\";
    deepPath += "lastone\\";
    ASSERT_EQ(deepPath.size(), 250u);
    Lines before, after;
    const Outcome outcome = SelectFolder("Deep", 300, [&](HWND dialog) {
        for (size_t at = 3; at < deepPath.size(); at = deepPath.find('\\', at) + 1)
            OpenFolder(dialog, deepPath.substr(at, deepPath.find('\\', at) - at));
        lineDeep = WindowText(GetDlgItem(dialog, 1014));
        before = TreeLines(dialog);
        OpenFolder(dialog, "toodeep12"); // would need 260 characters
        after = TreeLines(dialog);
        lineRefused = WindowText(GetDlgItem(dialog, 1014));
        OpenFolder(dialog, "fits8dir");
        Click(dialog, IDOK);
    });
    EXPECT_EQ(lineDeep, "m:\\...\\lastone");
    ASSERT_GE(before.size(), 2u);
    EXPECT_EQ(before[before.size() - 2], std::string(58, ' ') + "fits8dir (closed)");
    // Refused like a folder that cannot be entered: only its image changed.
    before.back() = std::string(58, ' ') + "toodeep12 (open)";
    EXPECT_EQ(after, before);
    EXPECT_EQ(lineRefused, lineDeep);
    EXPECT_EQ(outcome.directory, deepPath + "fits8dir\\");
    EXPECT_EQ(outcome.result, 259);
}

TEST(SelectDirectory, LongTitleIsCutAndAFailedStartIsMinusOne) {
    int captionLength = 0;
    char directory[16] = "unchanged";
    const std::string title(400, 'T');
    EXPECT_TRUE(Drive(
        title.substr(0, 259), [&](HWND dialog) { captionLength = GetWindowTextLengthA(dialog); },
        [&] { EXPECT_EQ(SelectDirectory(TestOwner(), title.c_str(), directory, 15), 0); }));
    EXPECT_EQ(captionLength, 259);
    // A module without the dialog template: the dialog cannot be created.
    const HINSTANCE saved = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    std::strcpy(directory, "unchanged");
    EXPECT_EQ(SelectDirectory(TestOwner(), "No template", directory, 15), -1);
    g_moduleInstance = saved;
    EXPECT_STREQ(directory, "");
    EXPECT_EQ(SelectDirectory(TestOwner(), "Null buffer", nullptr, 10), -1);
}

TEST(DriveItems, IconsHeightAndPaintingOfEachDriveType) {
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll"); // no icons there
    EXPECT_EQ(LoadPickerIcons(), 0);
    g_moduleInstance = library;
    ASSERT_EQ(LoadPickerIcons(), 1);
    for (int i = 0; i < kPickerIconCount; ++i) {
        BITMAP color = {}, mask = {};
        GetObjectA(PickerIcons.color[i], sizeof color, &color);
        GetObjectA(PickerIcons.mask[i], sizeof mask, &mask);
        EXPECT_EQ(std::to_string(color.bmWidth) + "x" + std::to_string(color.bmHeight) + " " +
                      std::to_string(mask.bmWidth),
                  "16x16 16")
            << i;
    }
    const UINT heights[][2] = {{0, 18}, {17, 18}, {18, 18}, {20, 20}};
    for (const auto &h : heights) {
        MEASUREITEMSTRUCT measure = {};
        measure.itemHeight = h[0];
        EXPECT_TRUE(MeasureDriveItem(&measure));
        EXPECT_EQ(measure.itemHeight, h[1]) << h[0];
    }
    HWND combo = CreateWindowA("ComboBox", "",
                               WS_CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                               0, 100, 100, TestOwner(), nullptr, nullptr, nullptr);
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("m:"));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 100, 18);
    ReleaseDC(nullptr, screen);
    HGDIOBJ previous = SelectObject(dc, bitmap);
    SetTextColor(dc, RGB(10, 20, 30));
    SetBkColor(dc, RGB(40, 50, 60));
    const RECT all = {0, 0, 100, 18};
    HBRUSH fill = CreateSolidBrush(RGB(1, 2, 3));
    DRAWITEMSTRUCT draw = {ODT_COMBOBOX, 0, static_cast<UINT>(-1), 0, 0, combo, dc, all, 0};
    FillRect(dc, &all, fill);
    EXPECT_FALSE(DrawDriveItem(&draw)) << "an empty list has nothing to paint";
    EXPECT_EQ(GetPixel(dc, 60, 9), RGB(1, 2, 3));
    // A pixel of each icon's own colour: the green lamp of the fixed and
    // network drives (at different heights), the black slot of the removable
    // drive, the cyan of the CD; a transparent corner shows the background.
    const int left = LOWORD(GetDialogBaseUnits()) / 4 + 2;
    const struct {
        ULONG_PTR type;
        UINT state;
        int x, y;
        COLORREF colour;
    } cases[] = {{DRIVE_FIXED, ODS_SELECTED, 10, 10, RGB(0, 255, 0)},
                 {DRIVE_REMOTE, ODS_SELECTED, 10, 7, RGB(0, 255, 0)},
                 {DRIVE_REMOVABLE, ODS_SELECTED, 5, 9, RGB(0, 0, 0)},
                 {DRIVE_CDROM, ODS_SELECTED, 4, 3, RGB(0, 255, 255)},
                 {DRIVE_RAMDISK, ODS_SELECTED, 10, 10, RGB(0, 255, 0)},
                 {DRIVE_FIXED, 0, 0, 0, GetSysColor(COLOR_WINDOW)}};
    for (const auto &c : cases) {
        FillRect(dc, &all, fill);
        draw.itemID = 0;
        draw.itemState = c.state;
        draw.itemData = c.type;
        EXPECT_TRUE(DrawDriveItem(&draw));
        EXPECT_EQ(GetPixel(dc, left + c.x, 1 + c.y), c.colour) << c.type;
        EXPECT_EQ(GetPixel(dc, 98, 16), GetSysColor(c.state ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    }
    EXPECT_EQ(GetTextColor(dc), RGB(10, 20, 30));
    EXPECT_EQ(GetBkColor(dc), RGB(40, 50, 60));
    DeleteObject(SelectObject(dc, previous));
    DeleteObject(fill);
    DeleteDC(dc);
    DestroyWindow(combo);
    const HBITMAP first = PickerIcons.color[0];
    DeletePickerIcons();
    for (int i = 0; i < kPickerIconCount; ++i)
        EXPECT_TRUE(PickerIcons.color[i] == nullptr && PickerIcons.mask[i] == nullptr) << i;
    EXPECT_EQ(GetObjectType(first), 0u) << "the bitmap was not deleted";
}

} // namespace
