#include "splash/splash_screen.h"

#include "frame/app.h"
#include "frame/export_guard.h"
#include "res/resource.h"
#include "splash/banner_box.h"
#include "splash/banner_text.h"

namespace {

// The splash screen's state lives between calls; it is touched only on the
// host's user-interface thread.
HWND g_splashWindow = nullptr;
UINT_PTR g_splashTimer = 0;
BannerFonts g_splashFonts;
SplashTimerStarter g_startTimer = SetTimer;

// Everything but the initialisation is the dialog manager's; the colour
// message only tunes how the banner is drawn and stays unhandled.
INT_PTR CALLBACK SplashDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: InitialiseBannerBox(dialog, g_splashFonts); return TRUE;
    case WM_DESTROY: ReleaseBannerPicture(dialog); return FALSE;
    case WM_CTLCOLORSTATIC:
        PrepareBannerPainting(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return FALSE;
    default: return FALSE;
    }
}

// Destroys the window, stops the timer and hands the foreground back to the
// owner. The fonts go once no window shows them any more.
void CloseSplash() {
    if (g_splashWindow != nullptr) {
        DestroyWindow(g_splashWindow);
        g_splashWindow = nullptr;
        g_splashFonts.Release();
    }
    if (g_splashTimer != 0) {
        KillTimer(nullptr, g_splashTimer);
        g_splashTimer = 0;
    }
    if (g_ownerWindow != nullptr)
        SetForegroundWindow(g_ownerWindow);
}

// Runs from the host's message loop, outside any export call. A timer other
// than the one remembered (none is left running on purpose) is stopped too.
void CALLBACK SplashTimerProc(HWND, UINT, UINT_PTR timer, DWORD) {
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (timer != g_splashTimer)
        KillTimer(nullptr, timer);
    CloseSplash();
}

} // namespace

HWND SplashWindow() {
    return g_splashWindow;
}

SplashTimerStarter SetSplashTimerStarter(SplashTimerStarter starter) {
    const SplashTimerStarter previous = g_startTimer;
    g_startTimer = starter != nullptr ? starter : SetTimer;
    return previous;
}

extern "C" long __cdecl ShowSplashScreen(HWND owner, const char *productName, const char *version,
                                         const char *, const char *userName,
                                         const char *organisation) {
    return RunExport(1L, [&]() -> long {
        g_ownerWindow = owner;
        // A splash that its owner destroyed along with itself still counts
        // until its timer or RemoveSplashScreen forgets it.
        if (g_splashWindow != nullptr)
            return 0;

        g_splashFonts.Create();
        // A timer left running by a splash whose dialog never opened would
        // close this one early, and then run on with nobody to stop it.
        if (g_splashTimer != 0) {
            KillTimer(nullptr, g_splashTimer);
            g_splashTimer = 0;
        }
        g_splashTimer = g_startTimer(nullptr, 0, kSplashMilliseconds, SplashTimerProc);
        if (g_splashTimer == 0) {
            g_splashFonts.Release();
            return 1;
        }
        const bool halcyra = IsHalcyraProduct(productName);
        {
            ScopedBannerTexts texts({productName, version, userName, organisation});
            g_splashWindow = CreateDialogParamA(
                g_moduleInstance, MAKEINTRESOURCEA(halcyra ? IDD_SPLASH_HALCYRA : IDD_SPLASH),
                owner, SplashDialogProc, 0);
        }
        if (g_splashWindow == nullptr) {
            // No box shows the fonts. The timer runs out and brings the
            // owner forward.
            g_splashFonts.Release();
            return 1;
        }
        return 0;
    });
}

extern "C" long __cdecl RemoveSplashScreen() {
    return RunExport(0L, []() -> long {
        CloseSplash();
        return 0;
    });
}
