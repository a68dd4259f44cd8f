// The splash screen and the About box on the display: the texts the code
// composes, the fonts it gives the controls, owners, endings, the splash's
// timer and the life of the boxes' fonts and banner picture. The texts that
// the templates hold are not checked here: the screenshots show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "frame/app.h"
#include "ortk232.h"
#include "res/resource.h"
#include "splash/splash_screen.h"
#include "tests/frame/captured_messages.h"
#include "tests/splash/banner_probe.h"

namespace {

// The title, organisation and user lines and the banner's width (the Halcyra
// templates have a wider one). Which names choose Halcyra and which user
// names mean none is the native suite's part.
const struct {
    const char *product, *user, *organisation, *shown;
} kVariants[] = {
    {"Ortelan", "J. Smith", "Geological Survey of Tessaro",
     "Veltrane Ortelan 4.0|Geological Survey of Tessaro|User:   J. Smith|325"},
    {"Halcyra", "x", "Veltrane Field Office", "Halcyra 4.0|Veltrane Field Office||382"},
};
// The font of every text control: height, weight and face.
const std::string kFonts = "|-22 700 Arial|-12 700 Arial|-12 400 Arial|-12 400 Arial|-12 400 "
                           "Arial|-12 400 Arial|-11 700 Arial|-12 400 Arial|-12 700 Arial";

// The composed lines and the banner's width, then each text control's font:
// height, weight and face. Adds the fonts and the picture to objects.
std::string Read(HWND box, std::set<HGDIOBJ> &objects) {
    std::string text;
    for (int id : {IDC_TITLE, IDC_ORGANISATION, IDC_USER})
        text += WindowText(GetDlgItem(box, id)) + "|";
    BITMAP bitmap = {};
    HGDIOBJ banner = reinterpret_cast<HGDIOBJ>(
        SendMessageA(GetWindow(box, GW_CHILD), STM_GETIMAGE, IMAGE_BITMAP, 0));
    GetObjectA(banner, sizeof bitmap, &bitmap);
    objects.insert(banner);
    text += std::to_string(bitmap.bmWidth);
    for (int id : {IDC_TITLE, IDC_TAGLINE, IDC_OWNERSHIP, IDC_RIGHTS, IDC_ORGANISATION, IDC_USER,
                   IDC_CONTACT_HEADING, IDC_CONTACT, IDC_WEB}) {
        HGDIOBJ font = reinterpret_cast<HGDIOBJ>(SendDlgItemMessageA(box, id, WM_GETFONT, 0, 0));
        LOGFONTA f = {};
        GetObjectA(font, sizeof f, &f);
        // Upright, plain and of the ANSI set, or marked as not.
        const bool plain = (f.lfWidth | f.lfEscapement | f.lfOrientation | f.lfItalic |
                            f.lfUnderline | f.lfStrikeOut | f.lfCharSet) == 0;
        text += "|" + std::to_string(f.lfHeight) + " " + std::to_string(f.lfWeight) + " " +
                f.lfFaceName + (plain ? "" : " not plain");
        objects.insert(font);
    }
    return text;
}

UINT_PTR WINAPI NoTimer(HWND, UINT_PTR, UINT, TIMERPROC) {
    return 0;
}

bool AnyAlive(const std::set<HGDIOBJ> &objects) {
    return std::any_of(objects.begin(), objects.end(),
                       [](HGDIOBJ object) { return GetObjectType(object) != 0; });
}

// Each variant as a splash, ended by Remove, and as an About box, ended by
// its hidden AutoLoad button (Escape and Enter are pressed with real keys by
// tests/scripts/splash.sh).
TEST(BannerBox, ShowsItsVariantOwnedByTheHostAndGoesWithItsFontsAndPicture) {
    HWND host = CreateHostWindow("Tessaro", 20, 20), other = CreateHostWindow("Other", 300, 20);
    for (const auto &v : kVariants) {
        std::set<HGDIOBJ> objects, aboutObjects;
        // Wine finds files whatever their case: a number tells the shots apart.
        const std::string name = std::to_string(&v - kVariants) + "_" + v.product;
        ASSERT_EQ(ShowSplashScreen(host, v.product, "4.0", "-", v.user, v.organisation), 0);
        HWND splash = SplashWindow();
        EXPECT_EQ(Read(splash, objects), v.shown + kFonts);
        EXPECT_EQ(GetWindow(splash, GW_OWNER), host);
        PumpMessagesFor(200);
        EXPECT_TRUE(SaveScreenshot(splash, ("splash_" + name).c_str()));
        SetForegroundWindow(other);
        EXPECT_EQ(RemoveSplashScreen(), 0);
        EXPECT_EQ(GetForegroundWindow(), host);
        EXPECT_FALSE(AnyAlive(objects)) << v.product << ": a font or the picture outlived it";
        // The About box, owned by the other window, leaves the owner window.
        std::string about;
        long result = -1;
        const auto user = [&](HWND box) {
            about =
                Read(box, aboutObjects) + (GetWindow(box, GW_OWNER) == other ? "" : " not owned");
            SaveScreenshot(box, ("about_" + name).c_str());
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, EN_CHANGE), 0); // not a click on OK
        };
        WhileShown(
            [&] { result = AboutOrtelan(other, v.product, "4.0", "-", v.user, v.organisation); },
            user, IDC_AUTOLOAD);
        EXPECT_EQ(about + " " + std::to_string(result), v.shown + kFonts + " 1");
        EXPECT_EQ(g_ownerWindow, host);
        EXPECT_FALSE(AnyAlive(aboutObjects)) << v.product << ": a font or the picture outlived it";
    }
    // Removed early, a splash's timer goes too: three seconds later nothing
    // happens. With nothing open, Remove still brings the owner forward.
    ASSERT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 0);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    SetForegroundWindow(other);
    PumpMessagesFor(3300);
    EXPECT_EQ(GetForegroundWindow(), other);
    EXPECT_EQ(RemoveSplashScreen(), 0);
    EXPECT_EQ(GetForegroundWindow(), host);
    // Null texts give empty lines, a null owner a splash without one. A second
    // splash only changes the owner window, which the timer brings forward
    // when it closes the splash.
    std::set<HGDIOBJ> objects;
    ASSERT_EQ(ShowSplashScreen(nullptr, nullptr, nullptr, nullptr, nullptr, nullptr), 0);
    HWND splash = SplashWindow();
    ASSERT_EQ(ShowSplashScreen(other, "Halcyra", "4.0", "-", "x", ""), 0);
    EXPECT_EQ(SplashWindow(), splash);
    EXPECT_EQ(g_ownerWindow, other);
    EXPECT_EQ(GetWindow(splash, GW_OWNER), nullptr);
    EXPECT_EQ(Read(splash, objects), "Veltrane  |||325" + kFonts);
    SetForegroundWindow(host);
    for (int i = 0; i < 300 && IsWindow(splash); ++i)
        PumpMessagesFor(20);
    EXPECT_EQ(SplashWindow(), nullptr);
    EXPECT_EQ(GetForegroundWindow(), other);
    // A timer that cannot start: 1 and no dialog. A dialog that cannot be
    // created: 1, and the timer still brings the owner forward.
    SetSplashTimerStarter(NoTimer);
    EXPECT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 1);
    SetSplashTimerStarter(nullptr);
    EXPECT_TRUE(SplashWindow() == nullptr && FindWindowA("#32770", nullptr) == nullptr);
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll"); // no templates there
    EXPECT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 1);
    g_moduleInstance = library;
    EXPECT_EQ(SplashWindow(), nullptr);
    SetForegroundWindow(other);
    PumpMessagesFor(3300);
    EXPECT_EQ(GetForegroundWindow(), host);
    // A splash shown while such a timer runs stops it: the splash outlives
    // the moment that timer would have closed it.
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    EXPECT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 1);
    g_moduleInstance = library;
    PumpMessagesFor(1500);
    ASSERT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 0);
    PumpMessagesFor(2000);
    EXPECT_NE(SplashWindow(), nullptr);
    RemoveSplashScreen();
    // An owner destroyed takes its splash along, which still counts until its
    // timer forgets it: the next call opens nothing and changes the owner.
    HWND doomed = CreateHostWindow("Doomed", 20, 300);
    ASSERT_EQ(ShowSplashScreen(doomed, "Ortelan", "4.0", "-", "x", ""), 0);
    splash = SplashWindow();
    DestroyWindow(doomed);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 0);
    EXPECT_EQ(FindWindowA("#32770", nullptr), nullptr);
    EXPECT_EQ(SplashWindow(), splash);
    SetForegroundWindow(other);
    for (int i = 0; i < 300 && SplashWindow() != nullptr; ++i)
        PumpMessagesFor(20);
    EXPECT_EQ(GetForegroundWindow(), host);
    ASSERT_EQ(ShowSplashScreen(host, "Ortelan", "4.0", "-", "x", ""), 0);
    EXPECT_NE(SplashWindow(), nullptr);
    RemoveSplashScreen();
    DestroyWindow(host);
    DestroyWindow(other);
}

} // namespace
