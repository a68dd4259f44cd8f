// The splash screen and About box as the host sees them: the exports called
// by name on a thread of the test's own, and the ortkcall commands.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

using BannerFn = long(__cdecl *)(HWND, const char *, const char *, const char *, const char *,
                                 const char *);

TEST(DllSplash, ExportsOpenAndCloseTheirBoxes) {
    ASSERT_EQ(LibraryExport<BannerFn>("ShowSplashScreen")(nullptr, "Ortelan", "4.0", "-", "x", ""),
              0);
    EXPECT_EQ(LibraryExport<long(__cdecl *)()>("RemoveSplashScreen")(), 0);
    // The About box is modal: another thread presses its OK button.
    std::thread user([] {
        HWND box = nullptr;
        for (int i = 0; i < 400 && box == nullptr; ++i, Sleep(25))
            box = FindWindowA("#32770", "About");
        PostMessageA(box, WM_COMMAND, IDOK, 0);
    });
    EXPECT_EQ(LibraryExport<BannerFn>("AboutOrtelan")(nullptr, "Halcyra", "4.0", "-", "x", ""), 0);
    user.join();
}

TEST(DllSplash, OrtkcallSplashClosesWhenTheHostPumpsLongEnough) {
    int status = -1;
    EXPECT_EQ(RunOrtkcall("showsplashscreen Ortelan 4.0 - \"J. Smith\" \"Survey\" 500", &status),
              "result=0\nopen=1\n");
    EXPECT_EQ(status, 0);
    EXPECT_EQ(RunOrtkcall("showsplashscreen Halcyra 4.0 - x \"\" 3600", &status),
              "result=0\nopen=0\n");
    EXPECT_EQ(RunOrtkcall("removesplashscreen", &status), "result=0\n");
    RunOrtkcall("showsplashscreen Ortelan 4.0 -", &status);
    EXPECT_NE(status, 0) << "missing arguments are a usage error";
}

} // namespace
