// The splash screen and the About box on the display: what every control
// shows, how the boxes end, their owners and the life of their fonts.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <thread>

#include "frame/app.h"
#include "ortk232.h"
#include "res/resource.h"
#include "splash/splash_screen.h"
#include "tests/frame/captured_messages.h"
#include "tests/frame/installed_fonts.h"
#include "tests/splash/banner_probe.h"

namespace {

struct Variant {
    const char *product, *user, *organisation;
    bool halcyra;
    const char *title, *userLine;
};

const Variant kVariants[] = {
    {"Ortelan", "J. Smith", "Geological Survey of Tessaro", false, "Veltrane Ortelan 4.0",
     "User:   J. Smith"},
    {"Halcyra", "x", "Veltrane Field Office", true, "Halcyra 4.0", ""},
    {"Halcyra Pro", "X", "", true, "Halcyra Pro 4.0", ""},
    {"halcyra", "xx", "Mines Department", false, "Veltrane halcyra 4.0", "User:   xx"},
};

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

// A control's font: "height weight italic-underline-strikeout charset
// quality pitch face", or "template" for the dialog's own, "-" for none.
std::string DescribeFont(HWND control) {
    LOGFONTA f = {};
    if (FontOf(control) == FontOf(GetParent(control)))
        return "template";
    if (GetObjectA(FontOf(control), sizeof f, &f) != sizeof f)
        return "-";
    char text[128];
    std::snprintf(text, sizeof text, "%ld %ld %d%d%d %d %d %#x %s", f.lfHeight, f.lfWeight,
                  f.lfItalic, f.lfUnderline, f.lfStrikeOut, f.lfCharSet, f.lfQuality,
                  f.lfPitchAndFamily, f.lfFaceName);
    return text;
}

// The box's frame and place, every control's text, font and visibility
// from one table, and the banner picture; gives the box's own fonts.
std::set<HFONT> CheckBannerBox(HWND dialog, const Variant &v, bool about) {
    EXPECT_TRUE(FontInstalled("Arial"));
    EXPECT_TRUE(FontInstalled("MS Sans Serif"));
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_SYSMENU | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, about);
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(WindowText(dialog), about ? "About" : "");
    RECT frame, work; // centred on the work area
    GetWindowRect(dialog, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 4);
    EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 4);
    const char kBody[] = "-12 400 000 0 0 0x22 Arial", kBold[] = "-12 700 000 0 0 0x22 Arial";
    const struct {
        int id;
        std::string text;
        const char *font;
    } rows[] = {
        {IDC_TITLE, v.title, "-22 700 000 0 0 0x22 Arial"},
        {IDC_TAGLINE, "Geoscience Tools for Tessaro", kBold},
        {IDC_OWNERSHIP, "Copyright \xa9 2003-2026 Veltrane", kBody},
        {IDC_RIGHTS, "All rights reserved.", kBody},
        {IDC_ORGANISATION, v.organisation, kBody},
        {IDC_USER, v.userLine, kBody},
        {IDC_CONTACT_HEADING, "Sales and Technical Support", "-11 700 000 0 0 0x22 Arial"},
        {IDC_CONTACT, "Phone +1 303 555 0142\nsupport@veltrane.com", kBody},
        {IDC_WEB, "www.veltrane.com", kBold},
        {IDOK, about ? "OK" : "-", about ? "template" : "-"},
        {IDC_AUTOLOAD, about ? "AutoLoad" : "-", about ? "template" : "-"},
    };
    for (const auto &row : rows) {
        HWND control = GetDlgItem(dialog, row.id);
        EXPECT_EQ(control ? WindowText(control) : "-", row.text) << row.id;
        EXPECT_EQ(control ? DescribeFont(control) : "-", row.font) << row.id;
        EXPECT_EQ(IsWindowVisible(control) != FALSE,
                  row.id == IDOK ? about : row.id != IDC_AUTOLOAD)
            << row.id;
    }
    int children = 0;
    std::set<HFONT> fonts;
    BITMAP bitmap = {};
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ++children;
        if (FontOf(child) != nullptr && FontOf(child) != FontOf(dialog))
            fonts.insert(FontOf(child));
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            GetObjectA(
                reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0)),
                sizeof bitmap, &bitmap);
    }
    EXPECT_EQ(children, 10 + (about ? 2 : 0) + (v.halcyra ? 1 : 0));
    EXPECT_EQ(std::to_string(bitmap.bmWidth) + "x" + std::to_string(bitmap.bmHeight),
              v.halcyra ? "382x325" : "325x325");
    EXPECT_EQ(fonts.size(), 4u);
    return fonts;
}

bool AnyFontAlive(const std::set<HFONT> &fonts) {
    for (HFONT font : fonts)
        if (GetObjectType(font) == OBJ_FONT)
            return true;
    return false;
}

TEST(BannerBox, SplashShowsItsVariantClosesAfterThreeSecondsAndDeletesItsFonts) {
    HWND host = CreateHostWindow("Tessaro", 20, 20), other = CreateHostWindow("Other", 300, 20);
    for (const Variant &v : kVariants) {
        SCOPED_TRACE(v.product);
        ASSERT_EQ(ShowSplashScreen(host, v.product, "4.0", "-", v.user, v.organisation), 0);
        HWND splash = FindThreadDialog(GetCurrentThreadId());
        EXPECT_EQ(splash, SplashWindow());
        EXPECT_EQ(GetWindow(splash, GW_OWNER), host);
        const std::set<HFONT> fonts = CheckBannerBox(splash, v, false);
        PumpMessagesFor(200);
        EXPECT_TRUE(SaveScreenshot(splash, (std::string("splash_") + v.product).c_str()));
        SetForegroundWindow(other);
        EXPECT_EQ(RemoveSplashScreen(), 0);
        EXPECT_FALSE(IsWindow(splash));
        EXPECT_EQ(GetForegroundWindow(), host);
        EXPECT_FALSE(AnyFontAlive(fonts)) << "a font outlived the splash";
    }
    // With nothing open, Remove still brings the owner forward.
    SetForegroundWindow(other);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    EXPECT_EQ(GetForegroundWindow(), host);
    // Null texts give empty lines; without an owner the splash has none.
    ASSERT_EQ(ShowSplashScreen(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    EXPECT_EQ(GetWindow(SplashWindow(), GW_OWNER), nullptr);
    EXPECT_EQ(WindowText(GetDlgItem(SplashWindow(), IDC_TITLE)) + "|" +
                  WindowText(GetDlgItem(SplashWindow(), IDC_ORGANISATION)) + "|" +
                  WindowText(GetDlgItem(SplashWindow(), IDC_USER)),
              "Veltrane  ||");
    RemoveSplashScreen();
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll"); // no templates there
    EXPECT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 1);
    g_moduleInstance = library;
    EXPECT_EQ(SplashWindow(), nullptr);
    // A second one only changes the owner window; the timer closes the
    // splash after three seconds and brings the latest owner forward.
    ASSERT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 0);
    const DWORD start = GetTickCount();
    HWND splash = SplashWindow();
    ASSERT_EQ(ShowSplashScreen(other, "Halcyra", "4.0", "-", "x", ""), 0);
    EXPECT_EQ(FindThreadDialog(GetCurrentThreadId()), splash);
    EXPECT_EQ(g_ownerWindow, other);
    EXPECT_EQ(GetWindow(splash, GW_OWNER), host);
    EXPECT_EQ(WindowText(GetDlgItem(splash, IDC_TITLE)), "Veltrane Ortelan 4.0");
    SetForegroundWindow(host);
    while (IsWindow(splash) && GetTickCount() - start < 6000)
        PumpMessagesFor(20);
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_GE(GetTickCount() - start, 2800u);
    EXPECT_LE(GetTickCount() - start, 3600u);
    EXPECT_EQ(GetForegroundWindow(), other);
    // Removed early, its timer goes too: nothing happens three seconds later.
    ASSERT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 0);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    SetForegroundWindow(host);
    PumpMessagesFor(3300);
    EXPECT_EQ(GetForegroundWindow(), host);
    DestroyWindow(host);
    DestroyWindow(other);
}

TEST(BannerBox, AboutIgnoresEscapeAndCloseAndEndsWithOkOrAutoLoad) {
    HWND host = CreateHostWindow("Tessaro", 20, 20);
    g_ownerWindow = nullptr;
    // Plays the user on another thread; a box left open is ended with the
    // hidden AutoLoad button, which gives 1.
    const auto about = [&](const Variant &v, const std::function<void(HWND)> &act) {
        std::thread user([&, thread = GetCurrentThreadId()] {
            HWND dialog = nullptr;
            for (int i = 0; i < 1000 && dialog == nullptr; ++i, Sleep(5))
                dialog = FindThreadDialog(thread);
            act(dialog);
            for (int i = 0; i < 200 && IsWindow(dialog); ++i)
                Sleep(5);
            PostMessageA(dialog, WM_COMMAND, IDC_AUTOLOAD, 0);
        });
        const long result = AboutOrtelan(host, v.product, "4.0", "-", v.user, v.organisation);
        user.join();
        return result;
    };
    HWND owner = nullptr;
    bool stayedOpen = false;
    std::set<HFONT> fonts;
    EXPECT_EQ(about(kVariants[1],
                    [&](HWND dialog) {
                        owner = GetWindow(dialog, GW_OWNER);
                        fonts = CheckBannerBox(dialog, kVariants[1], true);
                        Sleep(300);
                        SaveScreenshot(dialog, "about_Halcyra");
                        // Escape, Close and a notification other than a click
                        // on OK end nothing; Enter presses the default OK.
                        HWND ok = GetDlgItem(dialog, IDOK);
                        PostMessageA(ok, WM_KEYDOWN, VK_ESCAPE, 1);
                        PostMessageA(ok, WM_KEYUP, VK_ESCAPE, 0xC0000001);
                        PostMessageA(dialog, WM_CLOSE, 0, 0);
                        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, EN_CHANGE), 0);
                        Sleep(300);
                        stayedOpen = IsWindowVisible(dialog) != FALSE;
                        PostMessageA(ok, WM_KEYDOWN, VK_RETURN, 1);
                        PostMessageA(ok, WM_KEYUP, VK_RETURN, 0xC0000001);
                    }),
              0)
        << "Enter did not press OK";
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(owner, host);
    EXPECT_FALSE(AnyFontAlive(fonts)) << "a font outlived the box";
    EXPECT_EQ(g_ownerWindow, nullptr) << "the About box changed the owner window";
    EXPECT_EQ(about(kVariants[0], [&](HWND dialog) { CheckBannerBox(dialog, kVariants[0], true); }),
              1);
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll"); // not created: 0
    EXPECT_EQ(AboutOrtelan(host, "Ortelan", "4.0", "-", "x", ""), 0);
    g_moduleInstance = library;
    DestroyWindow(host);
}

} // namespace
