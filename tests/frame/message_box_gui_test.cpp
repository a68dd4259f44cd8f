// A real message box on the display: its text, caption, owner and button.
#include "frame/app.h"
#include "frame/messages.h"
#include "res/resource.h"
#include "tests/frame/captured_messages.h"
#include "tests/splash/banner_probe.h"

#include <gtest/gtest.h>

namespace {

TEST(MessageBoxOnScreen, LineErrorShowsItsTextOwnedByTheOwnerWindow) {
    const HWND saved = g_ownerWindow;
    g_ownerWindow = CreateHostWindow("host", 0, 0);
    std::string seen;
    WhileShown([] { ShowLineError(IDS_LINE_MISSING_X_OLD, 17); },
               [&](HWND box) {
                   seen = WindowText(GetDlgItem(box, 0xFFFF)) + "|" + WindowText(box) +
                          (GetWindow(box, GW_OWNER) == g_ownerWindow ? "|owned" : "|not owned") +
                          (GetDlgItem(box, IDOK) != nullptr ? "|OK" : "");
               },
               IDOK);
    DestroyWindow(g_ownerWindow);
    g_ownerWindow = saved;
    EXPECT_EQ(seen, "Error in line 17 of input data file: missing x_old coordinate|"
                    "ReadControlPoints|owned|OK");
}

} // namespace
