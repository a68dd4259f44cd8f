// The splash screen on the display: what it shows, its timed close, the
// owner rules and the life of its fonts.
#include "splash/splash_screen.h"

#include <gtest/gtest.h>

#include "frame/app.h"
#include "tests/splash/banner_probe.h"

namespace {

class SplashScreenTest : public testing::Test {
  protected:
    void SetUp() override {
        host_ = CreateHostWindow("Tessaro", 20, 20);
        other_ = CreateHostWindow("Another host", 300, 20);
        ASSERT_NE(host_, nullptr);
        ASSERT_NE(other_, nullptr);
    }
    void TearDown() override {
        RemoveSplashScreen();
        DestroyWindow(host_);
        DestroyWindow(other_);
        PumpMessagesFor(20);
    }

    long Show(HWND owner, const char *product, const char *user = "J. Smith",
              const char *organisation = "Geological Survey of Tessaro") {
        return ShowSplashScreen(owner, product, "4.0", "unused", user, organisation);
    }

    HWND host_ = nullptr;
    HWND other_ = nullptr;
};

TEST_F(SplashScreenTest, DefaultVariantShowsTheMakersTitleAndTheCallersTexts) {
    ASSERT_EQ(Show(host_, "Ortelan"), 0);
    HWND splash = FindThreadDialog(GetCurrentThreadId());
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(splash, SplashWindow());
    EXPECT_EQ(GetWindow(splash, GW_OWNER), host_);
    EXPECT_EQ(g_ownerWindow, host_);
    CheckBannerBox(splash, {BoxKind::SplashDefault, "Veltrane Ortelan 4.0",
                            "Geological Survey of Tessaro", "User:   J. Smith"});
    PumpMessagesFor(200);
    EXPECT_TRUE(SaveScreenshot(splash, "splash_default") || !getenv("ORTK_SCREENSHOTS"));
}

TEST_F(SplashScreenTest, HalcyraVariantHasNoPrefixAndTheCreditLine) {
    ASSERT_EQ(Show(host_, "Halcyra", "x", "Veltrane Field Office"), 0);
    HWND splash = FindThreadDialog(GetCurrentThreadId());
    ASSERT_NE(splash, nullptr);
    CheckBannerBox(splash, {BoxKind::SplashHalcyra, "Halcyra 4.0", "Veltrane Field Office", ""});
    PumpMessagesFor(200);
    EXPECT_TRUE(SaveScreenshot(splash, "splash_halcyra") || !getenv("ORTK_SCREENSHOTS"));
}

TEST_F(SplashScreenTest, VariantAndUserLineFollowTheArguments) {
    const struct {
        const char *product;
        const char *user;
        const char *organisation;
        BoxKind kind;
        const char *title;
        const char *userLine;
    } cases[] = {
        {"Halcyra Pro", "X", "", BoxKind::SplashHalcyra, "Halcyra Pro 4.0", ""},
        {"halcyra", "J. Smith", "", BoxKind::SplashDefault, "Veltrane halcyra 4.0",
         "User:   J. Smith"},
        {"Ortelan", "xx", "Mines Department", BoxKind::SplashDefault, "Veltrane Ortelan 4.0",
         "User:   xx"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.product);
        ASSERT_EQ(Show(host_, c.product, c.user, c.organisation), 0);
        HWND splash = FindThreadDialog(GetCurrentThreadId());
        ASSERT_NE(splash, nullptr);
        CheckBannerBox(splash, {c.kind, c.title, c.organisation, c.userLine});
        EXPECT_EQ(RemoveSplashScreen(), 0);
        EXPECT_FALSE(IsWindow(splash));
    }
}

TEST_F(SplashScreenTest, ClosesItselfAfterThreeSecondsOfMessages) {
    ASSERT_EQ(Show(host_, "Ortelan"), 0);
    HWND splash = SplashWindow();
    ASSERT_NE(splash, nullptr);
    SetForegroundWindow(other_);
    // Without a message loop the timer cannot fire, however long it waits.
    Sleep(3300);
    EXPECT_TRUE(IsWindow(splash));
    PumpMessagesFor(200);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_EQ(GetForegroundWindow(), host_);

    ASSERT_EQ(Show(host_, "Ortelan"), 0);
    splash = SplashWindow();
    const DWORD start = GetTickCount();
    while (IsWindow(splash) && GetTickCount() - start < 6000)
        PumpMessagesFor(20);
    const DWORD elapsed = GetTickCount() - start;
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_GE(elapsed, 2900u);
    EXPECT_LE(elapsed, 3600u);
}

TEST_F(SplashScreenTest, RemoveClosesAtOnceAndHandsTheForegroundToTheOwner) {
    ASSERT_EQ(Show(host_, "Ortelan"), 0);
    HWND splash = SplashWindow();
    SetForegroundWindow(other_);
    ASSERT_EQ(GetForegroundWindow(), other_);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(GetForegroundWindow(), host_);
    // The timer went with it: nothing happens three seconds later.
    SetForegroundWindow(other_);
    PumpMessagesFor(3300);
    EXPECT_EQ(GetForegroundWindow(), other_);

    // With nothing open it still brings the owner forward.
    EXPECT_EQ(RemoveSplashScreen(), 0);
    EXPECT_EQ(GetForegroundWindow(), host_);
}

TEST_F(SplashScreenTest, SecondShowOnlyChangesTheOwner) {
    ASSERT_EQ(Show(host_, "Ortelan"), 0);
    HWND splash = SplashWindow();
    ASSERT_EQ(Show(other_, "Halcyra", "x", "Elsewhere"), 0);
    EXPECT_EQ(SplashWindow(), splash);
    EXPECT_EQ(CountThreadDialogs(GetCurrentThreadId()), 1);
    EXPECT_EQ(g_ownerWindow, other_);
    EXPECT_EQ(GetWindow(splash, GW_OWNER), host_);
    // Still the first call's box and texts.
    EXPECT_EQ(WindowText(GetDlgItem(splash, 1026)), "Veltrane Ortelan 4.0");
    EXPECT_EQ(WindowText(GetDlgItem(splash, 1005)), "Geological Survey of Tessaro");

    SetForegroundWindow(host_);
    PumpMessagesFor(3300);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(GetForegroundWindow(), other_);
}

TEST_F(SplashScreenTest, DialogThatCannotBeCreatedGivesOne) {
    // A module without the splash templates.
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(Show(host_, "Ortelan"), 1);
    g_moduleInstance = library;
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_EQ(CountThreadDialogs(GetCurrentThreadId()), 0);

    // The next call opens a splash normally.
    ASSERT_EQ(Show(host_, "Ortelan"), 0);
    EXPECT_NE(SplashWindow(), nullptr);
}

TEST_F(SplashScreenTest, NullTextsShowEmptyLines) {
    ASSERT_EQ(ShowSplashScreen(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    HWND splash = SplashWindow();
    ASSERT_NE(splash, nullptr);
    EXPECT_EQ(GetWindow(splash, GW_OWNER), nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(splash, 1026)), "Veltrane  ");
    EXPECT_EQ(WindowText(GetDlgItem(splash, 1005)), "");
    EXPECT_EQ(WindowText(GetDlgItem(splash, 1006)), "");
}

TEST_F(SplashScreenTest, FontsLiveWithTheBoxAndDoNotAccumulate) {
    for (int cycle = 0; cycle < 300; ++cycle) {
        ASSERT_EQ(Show(host_, cycle % 2 ? "Halcyra" : "Ortelan"), 0);
        const std::vector<HFONT> fonts = BoxFonts(SplashWindow());
        ASSERT_EQ(fonts.size(), 4u) << "cycle " << cycle;
        for (HFONT font : fonts)
            ASSERT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT)) << "cycle " << cycle;
        ASSERT_EQ(RemoveSplashScreen(), 0);
        for (HFONT font : fonts)
            ASSERT_EQ(GetObjectType(font), 0u) << "font of cycle " << cycle << " still alive";
    }
}

} // namespace
