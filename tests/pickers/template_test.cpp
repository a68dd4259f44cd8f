// The picker dialog templates and icons as the resource script holds them.
#include <gtest/gtest.h>

#include <cstring>

#include "frame/app.h"
#include "tests/pickers/picker_templates.h"

namespace {

using Lines = std::vector<std::string>;

TEST(PickerTemplates, DirectoryDialogHoldsEveryControlExactly) {
    EXPECT_EQ(CompareTemplate(g_moduleInstance, 114, DirectoryTemplateControls()), Lines{});
    HRSRC found = FindResourceA(g_moduleInstance, MAKEINTRESOURCEA(114), MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr);
    const auto *header =
        static_cast<const DLGTEMPLATE *>(LockResource(LoadResource(g_moduleInstance, found)));
    EXPECT_EQ(header->style, static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP |
                                                WS_CAPTION | WS_SYSMENU));
    EXPECT_EQ(header->cx, 244);
    EXPECT_EQ(header->cy, 105);
}

TEST(PickerTemplates, TablesDialogHoldsEveryControlExactly) {
    EXPECT_EQ(CompareTemplate(g_moduleInstance, 115, TablesTemplateControls()), Lines{});
    HRSRC found = FindResourceA(g_moduleInstance, MAKEINTRESOURCEA(115), MAKEINTRESOURCEA(5));
    ASSERT_NE(found, nullptr);
    const BYTE *data =
        static_cast<const BYTE *>(LockResource(LoadResource(g_moduleInstance, found)));
    DWORD style;
    short size[4];
    std::memcpy(&style, data + 12, sizeof style);
    std::memcpy(size, data + 18, sizeof size);
    EXPECT_EQ(style,
              static_cast<DWORD>(DS_SETFONT | DS_MODALFRAME | DS_CENTER | WS_POPUP | WS_CAPTION));
    EXPECT_EQ(size[2], 326);
    EXPECT_EQ(size[3], 265);
}

// Each icon group holds a 32x32 and a 16x16 image of 16 colours.
TEST(PickerTemplates, IconsHoldTwoSixteenColourSizes) {
#pragma pack(push, 2)
    struct GroupEntry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
#pragma pack(pop)
    for (int id = 106; id <= 111; ++id) {
        HRSRC found = FindResourceA(g_moduleInstance, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(14));
        ASSERT_NE(found, nullptr) << "icon " << id;
        const BYTE *group =
            static_cast<const BYTE *>(LockResource(LoadResource(g_moduleInstance, found)));
        WORD count;
        std::memcpy(&count, group + 4, sizeof count);
        ASSERT_EQ(count, 2) << "icon " << id;
        std::vector<int> sizes;
        for (int i = 0; i < count; ++i) {
            GroupEntry entry;
            std::memcpy(&entry, group + 6 + i * sizeof entry, sizeof entry);
            EXPECT_EQ(entry.colours, 16) << "icon " << id;
            EXPECT_EQ(entry.bitCount, 4) << "icon " << id;
            sizes.push_back(entry.width);
        }
        EXPECT_EQ(sizes, (std::vector<int>{32, 16})) << "icon " << id;
    }
}

} // namespace
