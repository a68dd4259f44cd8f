// The shared picker machinery outside a dialog: icons, the owner-drawn drive
// items and the tree operations on a tree of the test's own.
#include <gtest/gtest.h>

#include <vector>

#include "frame/app.h"
#include "pickers/drive_tree.h"
#include "tests/pickers/dialog_driver.h"

namespace {

using Lines = std::vector<std::string>;

TEST(PickerIcons, LoadGivesSixteenPixelBitmapsAndDeleteForgetsThem) {
    ASSERT_EQ(LoadPickerIcons(), 1);
    for (int i = 0; i < kPickerIconCount; ++i) {
        BITMAP color = {}, mask = {};
        ASSERT_NE(GetObjectA(PickerIcons.color[i], sizeof color, &color), 0) << i;
        ASSERT_NE(GetObjectA(PickerIcons.mask[i], sizeof mask, &mask), 0) << i;
        EXPECT_EQ(color.bmWidth, 16) << i;
        EXPECT_EQ(color.bmHeight, 16) << i;
        EXPECT_EQ(mask.bmWidth, 16) << i;
    }
    const HBITMAP first = PickerIcons.color[0];
    DeletePickerIcons();
    for (int i = 0; i < kPickerIconCount; ++i) {
        EXPECT_EQ(PickerIcons.color[i], nullptr);
        EXPECT_EQ(PickerIcons.mask[i], nullptr);
    }
    BITMAP gone = {};
    EXPECT_EQ(GetObjectA(first, sizeof gone, &gone), 0) << "the bitmap was not deleted";
}

TEST(DriveItems, MeasureRaisesTheHeightToEighteenOnly) {
    const UINT cases[][2] = {{0, 18}, {16, 18}, {17, 18}, {18, 18}, {20, 20}};
    for (const auto &c : cases) {
        MEASUREITEMSTRUCT measure = {};
        measure.itemHeight = c[0];
        EXPECT_TRUE(MeasureDriveItem(&measure));
        EXPECT_EQ(measure.itemHeight, c[1]) << "from " << c[0];
    }
}

// Draws one item of a real owner-drawn combo box into a bitmap and reads
// back its pixels.
class DriveItemCanvas {
  public:
    DriveItemCanvas() {
        combo_ = CreateWindowA("ComboBox", "",
                               WS_CHILD | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 0,
                               0, 100, 100, TestOwner(), nullptr, nullptr, nullptr);
        SendMessageA(combo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("m:"));
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, 100, 18);
        ReleaseDC(nullptr, screen);
        previous_ = SelectObject(dc_, bitmap_);
        Fill(RGB(1, 2, 3));
    }
    ~DriveItemCanvas() {
        SelectObject(dc_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
        DestroyWindow(combo_);
    }
    void Fill(COLORREF colour) {
        RECT all = {0, 0, 100, 18};
        HBRUSH brush = CreateSolidBrush(colour);
        FillRect(dc_, &all, brush);
        DeleteObject(brush);
    }
    BOOL Draw(UINT itemId, UINT state, ULONG_PTR driveType) {
        DRAWITEMSTRUCT draw = {};
        draw.CtlType = ODT_COMBOBOX;
        draw.itemID = itemId;
        draw.itemState = state;
        draw.hwndItem = combo_;
        draw.hDC = dc_;
        draw.rcItem = {0, 0, 100, 18};
        draw.itemData = driveType;
        return DrawDriveItem(&draw);
    }
    COLORREF Pixel(int x, int y) const { return GetPixel(dc_, x, y); }
    HDC dc() const { return dc_; }

  private:
    HWND combo_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ previous_;
};

TEST(DriveItems, AnEmptyListIsNotPainted) {
    ASSERT_EQ(LoadPickerIcons(), 1);
    DriveItemCanvas canvas;
    EXPECT_FALSE(canvas.Draw(static_cast<UINT>(-1), 0, DRIVE_FIXED));
    EXPECT_EQ(canvas.Pixel(60, 9), RGB(1, 2, 3));
    DeletePickerIcons();
}

TEST(DriveItems, ItemShowsItsDriveIconAndHighlightAndRestoresTheColours) {
    ASSERT_EQ(LoadPickerIcons(), 1);
    DriveItemCanvas canvas;
    SetTextColor(canvas.dc(), RGB(10, 20, 30));
    SetBkColor(canvas.dc(), RGB(40, 50, 60));
    const int unit = LOWORD(GetDialogBaseUnits()) / 4;
    // Each icon has a pixel of its own colour in its 16x16 picture: the green
    // lamp of the fixed and network drives (at different heights), the black
    // slot of the removable drive, the cyan of the CD.
    struct Case {
        ULONG_PTR type;
        int x, y;
        COLORREF colour;
    };
    const Case cases[] = {
        {DRIVE_FIXED, 10, 10, RGB(0, 255, 0)},   {DRIVE_REMOTE, 10, 7, RGB(0, 255, 0)},
        {DRIVE_REMOVABLE, 5, 9, RGB(0, 0, 0)},   {DRIVE_CDROM, 4, 3, RGB(0, 255, 255)},
        {DRIVE_RAMDISK, 10, 10, RGB(0, 255, 0)},
    };
    for (const Case &c : cases) {
        canvas.Fill(RGB(1, 2, 3));
        EXPECT_TRUE(canvas.Draw(0, ODS_SELECTED, c.type));
        EXPECT_EQ(canvas.Pixel(unit + 2 + c.x, 1 + c.y), c.colour) << "drive type " << c.type;
        // The rest of the item is the highlight colour.
        EXPECT_EQ(canvas.Pixel(98, 16), GetSysColor(COLOR_HIGHLIGHT)) << "drive type " << c.type;
    }
    canvas.Fill(RGB(1, 2, 3));
    canvas.Draw(0, 0, DRIVE_FIXED);
    EXPECT_EQ(canvas.Pixel(98, 16), GetSysColor(COLOR_WINDOW));
    // Transparent icon pixels show the item's background.
    EXPECT_EQ(canvas.Pixel(unit + 2, 1), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(GetTextColor(canvas.dc()), RGB(10, 20, 30));
    EXPECT_EQ(GetBkColor(canvas.dc()), RGB(40, 50, 60));
    DeletePickerIcons();
}

TEST(FolderTree, ShowingADriveReplacesTheTreeAndListsNoFilesNorDots) {
    ASSERT_EQ(LoadPickerIcons(), 1);
    HWND tree = CreateWindowA(WC_TREEVIEWA, "", WS_CHILD, 0, 0, 200, 300, TestOwner(), nullptr,
                              nullptr, nullptr);
    ASSERT_EQ(SetFolderImageList(tree), 1);
    EXPECT_EQ(ClosedFolderImage, 0);
    EXPECT_EQ(OpenFolderImage, 1);
    EXPECT_EQ(ShowDriveInTree(tree, 13), 1);
    ASSERT_EQ(ShowDriveInTree(tree, 15), 1);
    EXPECT_EQ(TreeLines(tree), (Lines{"o:\\ (open)+", "  atlas (closed)"}));

    // Files are skipped; a folder that cannot be listed adds nothing.
    HTREEITEM root = TreeView_GetRoot(tree);
    EXPECT_EQ(AddSubfoldersToTree(tree, "m:\\maps", root), 1);
    EXPECT_EQ(AddSubfoldersToTree(tree, "m:\\no such folder\\", root), 1);
    EXPECT_EQ(AddSubfoldersToTree(tree, ("m:\\" + std::string(300, 'x')).c_str(), root), 1);
    EXPECT_EQ(TreeLines(tree),
              (Lines{"o:\\ (open)+", "  .hidden maps (closed)", "  archive.tab (closed)",
                     "  atlas (closed)", "  sub folder (closed)"}));
    DeleteFolderImageList(tree);
    DestroyWindow(tree);
    DeletePickerIcons();
}

} // namespace
