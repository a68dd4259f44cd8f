// The splash screen and the About box on the display: what they show, how
// they end, their owners and the life of their fonts.
#include <gtest/gtest.h>

#include <functional>
#include <thread>

#include "frame/app.h"
#include "ortk232.h"
#include "res/resource.h"
#include "splash/splash_screen.h"
#include "tests/frame/captured_messages.h"
#include "tests/splash/banner_probe.h"

namespace {

struct Variant {
    const char *product, *user, *organisation;
    bool halcyra;
    const char *title, *userLine, *screenshot;
};

const Variant kVariants[] = {
    {"Ortelan", "J. Smith", "Geological Survey of Tessaro", false, "Veltrane Ortelan 4.0",
     "User:   J. Smith", "default"},
    {"Halcyra", "x", "Veltrane Field Office", true, "Halcyra 4.0", "", "halcyra"},
    {"Halcyra Pro", "X", "", true, "Halcyra Pro 4.0", "", nullptr},
    {"halcyra", "xx", "Mines Department", false, "Veltrane halcyra 4.0", "User:   xx", nullptr},
};

bool FontsAlive(const std::vector<HFONT> &fonts) {
    for (HFONT font : fonts)
        if (GetObjectType(font) != OBJ_FONT)
            return false;
    return !fonts.empty();
}

class BannerBox : public testing::Test {
  protected:
    void SetUp() override {
        host_ = CreateHostWindow("Tessaro", 20, 20);
        other_ = CreateHostWindow("Another host", 300, 20);
    }
    void TearDown() override {
        RemoveSplashScreen();
        DestroyWindow(host_);
        DestroyWindow(other_);
        PumpMessagesFor(20);
    }
    long Splash(HWND owner, const char *product) {
        return ShowSplashScreen(owner, product, "4.0", "unused", "J. Smith", "Survey");
    }
    // Runs the About box with act playing the user on another thread; a box
    // that act leaves open is ended with AutoLoad so that no test hangs.
    long About(const Variant &v, std::function<void(HWND)> act, bool *found) {
        const DWORD thread = GetCurrentThreadId();
        std::thread user([&] {
            HWND dialog = nullptr;
            for (int i = 0; i < 1000 && dialog == nullptr; ++i, Sleep(5))
                dialog = FindThreadDialog(thread);
            *found = dialog != nullptr;
            if (dialog != nullptr)
                act(dialog);
            for (int i = 0; i < 200 && IsWindow(dialog); ++i)
                Sleep(5);
            if (IsWindow(dialog))
                PostMessageA(dialog, WM_COMMAND, IDC_AUTOLOAD, 0);
        });
        const long result = AboutOrtelan(host_, v.product, "4.0", "-", v.user, v.organisation);
        user.join();
        return result;
    }
    HWND host_ = nullptr;
    HWND other_ = nullptr;
};

TEST_F(BannerBox, SplashShowsItsVariantAndDeletesItsFontsWhenRemoved) {
    for (const Variant &v : kVariants) {
        SCOPED_TRACE(v.product);
        ASSERT_EQ(ShowSplashScreen(host_, v.product, "4.0", "-", v.user, v.organisation), 0);
        HWND splash = FindThreadDialog(GetCurrentThreadId());
        ASSERT_NE(splash, nullptr);
        EXPECT_EQ(splash, SplashWindow());
        EXPECT_EQ(GetWindow(splash, GW_OWNER), host_);
        CheckBannerBox(splash, {false, v.halcyra, v.title, v.organisation, v.userLine});
        const std::vector<HFONT> fonts = BoxFonts(splash);
        EXPECT_EQ(fonts.size(), 4u);
        if (v.screenshot != nullptr) {
            PumpMessagesFor(200);
            EXPECT_TRUE(SaveScreenshot(splash, (std::string("splash_") + v.screenshot).c_str()));
        }
        SetForegroundWindow(other_);
        EXPECT_EQ(RemoveSplashScreen(), 0);
        EXPECT_FALSE(IsWindow(splash));
        EXPECT_EQ(GetForegroundWindow(), host_);
        for (HFONT font : fonts)
            EXPECT_EQ(GetObjectType(font), 0u) << "a font outlived the splash";
    }
    // With nothing open, Remove still brings the owner forward.
    SetForegroundWindow(other_);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    EXPECT_EQ(GetForegroundWindow(), host_);
    // Null texts give empty lines; without an owner the splash has none.
    ASSERT_EQ(ShowSplashScreen(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetWindow(SplashWindow(), GW_OWNER), nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(SplashWindow(), IDC_TITLE)), "Veltrane  ");
    EXPECT_EQ(WindowText(GetDlgItem(SplashWindow(), IDC_ORGANISATION)), "");
    EXPECT_EQ(WindowText(GetDlgItem(SplashWindow(), IDC_USER)), "");
}

TEST_F(BannerBox, SecondSplashOnlyChangesTheOwnerAndTheTimerClosesItAfterThreeSeconds) {
    ASSERT_EQ(Splash(host_, "Ortelan"), 0);
    const DWORD start = GetTickCount();
    HWND splash = SplashWindow();
    ASSERT_EQ(Splash(other_, "Halcyra"), 0);
    EXPECT_EQ(SplashWindow(), splash);
    EXPECT_EQ(FindThreadDialog(GetCurrentThreadId()), splash);
    EXPECT_EQ(g_ownerWindow, other_);
    EXPECT_EQ(GetWindow(splash, GW_OWNER), host_);
    EXPECT_EQ(WindowText(GetDlgItem(splash, IDC_TITLE)), "Veltrane Ortelan 4.0");
    SetForegroundWindow(host_);
    while (IsWindow(splash) && GetTickCount() - start < 6000)
        PumpMessagesFor(20);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_GE(GetTickCount() - start, 2800u);
    EXPECT_LE(GetTickCount() - start, 3600u);
    EXPECT_EQ(GetForegroundWindow(), other_);

    // Removed early, its timer goes too: nothing happens three seconds later.
    ASSERT_EQ(Splash(host_, "Ortelan"), 0);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    SetForegroundWindow(other_);
    PumpMessagesFor(3300);
    EXPECT_EQ(GetForegroundWindow(), other_);
}

TEST_F(BannerBox, SplashThatCannotBeCreatedGivesOneAndTheNextOneOpens) {
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll"); // no templates there
    EXPECT_EQ(Splash(host_, "Ortelan"), 1);
    g_moduleInstance = library;
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_EQ(FindThreadDialog(GetCurrentThreadId()), nullptr);
    ASSERT_EQ(Splash(host_, "Ortelan"), 0);
    EXPECT_NE(SplashWindow(), nullptr);
}

TEST_F(BannerBox, AboutShowsItsVariantIgnoresEscapeAndCloseAndEndsWithOk) {
    g_ownerWindow = other_;
    for (const Variant &v : kVariants) {
        SCOPED_TRACE(v.product);
        HWND owner = nullptr;
        bool stayedOpen = false, found = false, fontsAlive = false;
        std::vector<HFONT> fonts;
        const long result = About(
            v,
            [&](HWND dialog) {
                owner = GetWindow(dialog, GW_OWNER);
                CheckBannerBox(dialog, {true, v.halcyra, v.title, v.organisation, v.userLine});
                fonts = BoxFonts(dialog);
                fontsAlive = FontsAlive(fonts) && fonts.size() == 4;
                if (v.screenshot != nullptr) {
                    Sleep(300);
                    SaveScreenshot(dialog, (std::string("about_") + v.screenshot).c_str());
                }
                // Escape, Close and a notification other than a click on OK
                // end nothing; Enter presses the default button OK.
                HWND ok = GetDlgItem(dialog, IDOK);
                PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 1);
                PostMessageA(ok, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                PostMessageA(dialog, WM_CLOSE, 0, 0);
                PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, EN_CHANGE), 0);
                Sleep(300);
                stayedOpen = IsWindowVisible(dialog) != FALSE;
                PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 1);
                PostMessageA(ok, WM_KEYUP, VK_RETURN, 0xC0000001);
            },
            &found);
        EXPECT_TRUE(found);
        EXPECT_EQ(result, 0) << "Enter did not press OK";
        EXPECT_TRUE(stayedOpen);
        EXPECT_EQ(owner, host_);
        EXPECT_TRUE(fontsAlive);
        for (HFONT font : fonts)
            EXPECT_EQ(GetObjectType(font), 0u) << "a font outlived the box";
    }
    EXPECT_EQ(g_ownerWindow, other_) << "the About box changed the owner window";
}

TEST_F(BannerBox, AboutEndedByAutoLoadGivesOneAndOneNotCreatedGivesZero) {
    bool found = false, hidden = false;
    EXPECT_EQ(About(
                  kVariants[1],
                  [&](HWND dialog) {
                      hidden = !IsWindowVisible(GetDlgItem(dialog, IDC_AUTOLOAD));
                      PostMessageA(dialog, WM_COMMAND, IDC_AUTOLOAD, 0);
                  },
                  &found),
              1);
    EXPECT_TRUE(found && hidden);
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(AboutOrtelan(host_, "Ortelan", "4.0", "-", "x", ""), 0);
    g_moduleInstance = library;
}

} // namespace
