// A real message box on the display: its text, caption, owner and button.
#include "frame/app.h"
#include "frame/messages.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

struct SeenBox {
    std::string text;
    std::string caption;
    HWND owner = nullptr;
    LONG style = 0;
    bool hasOkButton = false;
    bool found = false;
};

// Waits for the box on another thread, reads it the way a person would see
// it, then presses OK.
SeenBox ReadAndCloseBox(const char *caption) {
    SeenBox seen;
    for (int attempt = 0; attempt < 2400 && !seen.found; ++attempt) {
        HWND box = FindWindowA("#32770", caption);
        if (box == nullptr) {
            Sleep(25);
            continue;
        }
        char text[512] = "";
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        char title[256] = "";
        GetWindowTextA(box, title, sizeof title);
        seen = {text,
                title,
                GetWindow(box, GW_OWNER),
                GetWindowLongA(box, GWL_STYLE),
                GetDlgItem(box, IDOK) != nullptr,
                true};
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    }
    return seen;
}

TEST(MessageBoxOnScreen, LineErrorShowsItsTextOwnedByTheOwnerWindow) {
    HWND owner = CreateWindowA("STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
    ASSERT_NE(owner, nullptr);
    const HWND saved = g_ownerWindow;
    g_ownerWindow = owner;

    SeenBox seen;
    std::thread reader([&] { seen = ReadAndCloseBox("ReadControlPoints"); });
    ShowLineError(IDS_LINE_MISSING_X_OLD, 17);
    reader.join();

    g_ownerWindow = saved;
    DestroyWindow(owner);
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(seen.text, "Error in line 17 of input data file: missing x_old coordinate");
    EXPECT_EQ(seen.caption, "ReadControlPoints");
    EXPECT_EQ(seen.owner, owner);
    EXPECT_TRUE(seen.hasOkButton);
}

} // namespace
