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

// A bitmap of the item's size, selected into a memory DC.
struct Canvas {
    ScopedMemoryDC dc{CreateCompatibleDC(nullptr)};
    ScopedBitmap bitmap{CreateBitmap(kWidth, kHeight, 1, 32, nullptr)};
    ScopedSelectObject selected{dc.get(), bitmap.get()};
    int Count(COLORREF colour, const RECT &area) const {
        int count = 0;
        for (int x = area.left; x < area.right; ++x)
            for (int y = area.top; y < area.bottom; ++y)
                count += GetPixel(dc.get(), x, y) == colour;
        return count;
    }
};

TEST(DriveList, DrawsEachDriveTypesIconAndTextInTheItemsColours) {
    ASSERT_EQ(LoadPickerIcons(), 1);
    HWND list = CreateWindowA("COMBOBOX", "", CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0, 0, 80, 90,
                              nullptr, nullptr, nullptr, nullptr);
    ComboBox_AddString(list, "m:");
    std::string seen;
    const std::pair<unsigned, int> types[] = {{2, IDI_REMOVABLE_DRIVE},
                                              {3, IDI_FIXED_DRIVE},
                                              {4, IDI_NETWORK_DRIVE},
                                              {5, IDI_CDROM_DRIVE}};
    for (const auto &[type, iconId] : types)
        for (const UINT state : {0u, 0u + ODS_SELECTED, 0u + (ODS_SELECTED | ODS_FOCUS)}) {
            Canvas drawn, expected;
            PatBlt(drawn.dc.get(), 0, 0, kWidth, kHeight, BLACKNESS);
            DRAWITEMSTRUCT draw = {ODT_COMBOBOX,   1012,  0,   ODA_DRAWENTIRE, state, list,
                                   drawn.dc.get(), kItem, type};
            const BOOL handled = DrawDriveItem(&draw);
            // The icon drawn by the platform on the item's background, where
            // the layout puts it.
            const bool selected = (state & ODS_SELECTED) != 0;
            const COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
            const UniqueHandle<HBRUSH, GdiObjectTraits<HBRUSH>> brush(CreateSolidBrush(back));
            FillRect(expected.dc.get(), &kItem, brush.get());
            TEXTMETRICA metrics = {};
            GetTextMetricsA(drawn.dc.get(), &metrics);
            const DriveItemLayout at = LayOutDriveItem(kItem.top, kItem.bottom, metrics.tmHeight,
                                                       LOWORD(GetDialogBaseUnits()));
            const ScopedIcon icon(static_cast<HICON>(
                LoadImageA(g_moduleInstance, MAKEINTRESOURCEA(iconId), IMAGE_ICON, 16, 16, 0)));
            DrawIconEx(expected.dc.get(), at.iconLeft, at.iconTop, icon.get(), 16, 16, 0, nullptr,
                       DI_NORMAL);
            int iconDifferences = 0;
            for (int x = at.iconLeft; x < at.iconLeft + 16; ++x)
                for (int y = at.iconTop; y < at.iconTop + 16; ++y)
                    iconDifferences +=
                        GetPixel(drawn.dc.get(), x, y) != GetPixel(expected.dc.get(), x, y);
            // The icon's area not plain, text pixels after it, and the left
            // edge dotted by the focus frame only with the focus.
            const RECT text = {at.iconLeft + 16, kItem.top, kWidth, kItem.bottom};
            const COLORREF ink = GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT);
            const RECT iconArea = {at.iconLeft, at.iconTop, at.iconLeft + 16, at.iconTop + 16};
            const RECT leftEdge = {0, kItem.top, 1, kItem.bottom};
            seen +=
                std::to_string(handled) + " " + std::to_string(iconDifferences) +
                (drawn.Count(back, iconArea) < 200 ? " icon " : " no icon ") +
                (drawn.Count(ink, text) > 10 ? "text " : "no text ") +
                (drawn.Count(back, leftEdge) == kItem.bottom - kItem.top ? "plain|" : "framed|");
        }
    std::string each;
    for (const char *frame : {"plain|", "plain|", "framed|"})
        each += std::string("1 0 icon text ") + frame;
    EXPECT_EQ(seen, each + each + each + each);
    // An empty list's item (id -1) is left alone.
    Canvas untouched;
    PatBlt(untouched.dc.get(), 0, 0, kWidth, kHeight, BLACKNESS);
    DRAWITEMSTRUCT none = {ODT_COMBOBOX,       1012,  static_cast<UINT>(-1),
                           ODA_DRAWENTIRE,     0,     list,
                           untouched.dc.get(), kItem, 3};
    EXPECT_EQ(DrawDriveItem(&none), FALSE);
    EXPECT_EQ(untouched.Count(RGB(0, 0, 0), {0, 0, kWidth, kHeight}), kWidth * kHeight);
    DestroyWindow(list);
    DeletePickerIcons();
}

} // namespace
