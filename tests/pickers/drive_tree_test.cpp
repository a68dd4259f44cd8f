// The drive list's items as a person sees them, drawn into a bitmap: each
// drive type's icon as the platform itself draws that icon, the text, the
// item's colours and the focus frame.
#include <gtest/gtest.h>

#include "frame/app.h"
#include "frame/handles.h"
#include "pickers/drive_tree.h"
#include "res/resource.h"

#include <windowsx.h>

namespace {

constexpr int kWidth = 120, kHeight = 20;
const RECT kItem = {0, 1, kWidth, kHeight - 1};

// An item's size of bitmap in a memory DC, black until drawn on.
struct Canvas {
    ScopedMemoryDC dc{CreateCompatibleDC(nullptr)};
    ScopedBitmap bitmap{CreateBitmap(kWidth, kHeight, 1, 32, nullptr)};
    ScopedSelectObject selected{dc.get(), bitmap.get()};
    // Pixels of area not of colour, or (other given) unlike other's.
    int Unlike(RECT area, COLORREF colour, const Canvas *other = nullptr) const {
        int count = 0;
        for (int x = area.left; x < area.right; ++x)
            for (int y = area.top; y < area.bottom; ++y)
                count +=
                    GetPixel(dc.get(), x, y) != (other ? GetPixel(other->dc.get(), x, y) : colour);
        return count;
    }
};

TEST(DriveList, DrawsEachDriveTypesIconAndTextInTheItemsColours) {
    ASSERT_EQ(LoadPickerIcons(), 1);
    HWND list = CreateWindowA("COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 80, 90,
                              nullptr, nullptr, nullptr, nullptr);
    ComboBox_AddString(list, "m:");
    std::string seen, expected;
    for (const auto &[type, iconId] : {std::make_pair(2u, IDI_REMOVABLE_DRIVE),
                                       {3u, IDI_FIXED_DRIVE},
                                       {4u, IDI_NETWORK_DRIVE},
                                       {5u, IDI_CDROM_DRIVE}})
        for (const UINT state : {0, ODS_SELECTED, ODS_SELECTED | ODS_FOCUS, 0x10000}) {
            // The last state is an empty list's item (id -1): left alone.
            const UINT id = state == 0x10000 ? static_cast<UINT>(-1) : 0;
            Canvas drawn, platform;
            DRAWITEMSTRUCT draw = {ODT_COMBOBOX,   1012,  id,  ODA_DRAWENTIRE, state, list,
                                   drawn.dc.get(), kItem, type};
            seen += std::to_string(DrawDriveItem(&draw)) + " ";
            if (id != 0) {
                seen += std::to_string(drawn.Unlike({0, 0, kWidth, kHeight}, 0)) + "|";
                expected += "0 0|";
                continue;
            }
            // The icon as the platform draws it on the item's background,
            // where the layout puts it; text after it; the left edge dotted
            // by the focus frame.
            const int background = state & ODS_SELECTED ? COLOR_HIGHLIGHT : COLOR_WINDOW;
            FillRect(platform.dc.get(), &kItem, reinterpret_cast<HBRUSH>(INT_PTR{background + 1}));
            TEXTMETRICA metrics = {};
            GetTextMetricsA(drawn.dc.get(), &metrics);
            const DriveItemLayout at = LayOutDriveItem(kItem.top, kItem.bottom, metrics.tmHeight,
                                                       LOWORD(GetDialogBaseUnits()));
            const ScopedIcon icon(
                static_cast<HICON>(LoadImageA(g_moduleInstance, MAKEINTRESOURCEA(iconId),
                                              IMAGE_ICON, kPickerIconSize, kPickerIconSize, 0)));
            DrawIconEx(platform.dc.get(), at.iconLeft, at.iconTop, icon.get(), kPickerIconSize,
                       kPickerIconSize, 0, nullptr, DI_NORMAL);
            const RECT iconArea = {at.iconLeft, at.iconTop, at.iconLeft + kPickerIconSize,
                                   at.iconTop + kPickerIconSize};
            const COLORREF back = GetSysColor(background),
                           ink = GetSysColor(background == COLOR_WINDOW ? COLOR_WINDOWTEXT
                                                                        : COLOR_HIGHLIGHTTEXT);
            seen += std::to_string(drawn.Unlike(iconArea, 0, &platform)) + " " +
                    std::to_string(drawn.Unlike(iconArea, back) > 50) +
                    std::to_string(drawn.Unlike({iconArea.right, 0, kWidth, kHeight}, ink) <
                                   kWidth * kHeight - 10) +
                    std::to_string(drawn.Unlike({0, kItem.top, 1, kItem.bottom}, back) > 0) + "|";
            expected += state & ODS_FOCUS ? "1 0 111|" : "1 0 110|";
        }
    EXPECT_EQ(seen, expected);
    // Without the icons' bitmaps the image list would stay empty: refused,
    // and the tree keeps the list it had.
    HWND tree =
        CreateWindowA(WC_TREEVIEWA, "", 0, 0, 0, 80, 90, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(SetFolderImageList(tree), 1);
    const HIMAGELIST images = TreeView_GetImageList(tree, TVSIL_NORMAL);
    DeletePickerIcons();
    EXPECT_TRUE(SetFolderImageList(tree) == 0 &&
                TreeView_GetImageList(tree, TVSIL_NORMAL) == images);
    DeleteFolderImageList(tree);
    DestroyWindow(tree);
    DestroyWindow(list);
}

} // namespace
