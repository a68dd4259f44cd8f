// A real message box on the display: its text, caption, owner and button.
#include "frame/app.h"
#include "frame/messages.h"
#include "res/resource.h"
#include "tests/frame/captured_messages.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

TEST(MessageBoxOnScreen, LineErrorShowsItsTextOwnedByTheOwnerWindow) {
    HWND owner = CreateWindowA("STATIC", "host", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                               nullptr, nullptr, nullptr);
    const HWND saved = g_ownerWindow;
    g_ownerWindow = owner;
    std::string seen;
    // Another thread waits for the box, reads it as a person would, and
    // presses OK.
    std::thread reader([&] {
        for (int attempt = 0; attempt < 2400 && seen.empty(); ++attempt, Sleep(25)) {
            HWND box = FindWindowA("#32770", "ReadControlPoints");
            if (box == nullptr)
                continue;
            char text[512] = "";
            GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
            seen = std::string(text) + "|" + WindowText(box) + "|" +
                   (GetWindow(box, GW_OWNER) == owner ? "owned" : "not owned") +
                   (GetDlgItem(box, IDOK) != nullptr ? "|OK" : "");
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    });
    ShowLineError(IDS_LINE_MISSING_X_OLD, 17);
    reader.join();
    g_ownerWindow = saved;
    DestroyWindow(owner);
    EXPECT_EQ(seen, "Error in line 17 of input data file: missing x_old coordinate|"
                    "ReadControlPoints|owned|OK");
}

} // namespace
