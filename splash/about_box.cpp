#include "splash/about_box.h"

#include "frame/app.h"
#include "frame/export_guard.h"
#include "res/resource.h"
#include "splash/banner_box.h"
#include "splash/banner_text.h"

namespace {

INT_PTR OnAboutCommand(HWND dialog, WPARAM wParam) {
    // The whole parameter, not only the id: a notification other than a
    // click does not end the box.
    switch (wParam) {
    case IDOK: EndDialog(dialog, 1); return TRUE;
    case IDC_AUTOLOAD: EndDialog(dialog, 0); return TRUE;
    default: return FALSE;
    }
}

// Anything else, Escape included, is left to the dialog manager, which does
// not close the box; the colour message only tunes how the banner is drawn.
// The initialisation parameter is the call's set of fonts.
INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        InitialiseBannerBox(dialog, *reinterpret_cast<const BannerFonts *>(lParam));
        return TRUE;
    case WM_COMMAND: return OnAboutCommand(dialog, wParam);
    case WM_DESTROY: ReleaseBannerPicture(dialog); return FALSE;
    case WM_CTLCOLORSTATIC:
        PrepareBannerPainting(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
        return FALSE;
    default: return FALSE;
    }
}

} // namespace

extern "C" long __cdecl AboutOrtelan(HWND owner, const char *productName, const char *version,
                                     const char *, const char *userName, const char *organisation) {
    return RunExport(0L, [&]() -> long {
        BannerFonts fonts;
        fonts.Create();
        const bool halcyra = IsHalcyraProduct(productName);
        INT_PTR result;
        {
            ScopedBannerTexts texts({productName, version, userName, organisation});
            result = DialogBoxParamA(g_moduleInstance,
                                     MAKEINTRESOURCEA(halcyra ? IDD_ABOUT_HALCYRA : IDD_ABOUT),
                                     owner, AboutDialogProc, reinterpret_cast<LPARAM>(&fonts));
        }
        // The box is gone by now, so its fonts can go with the scope.
        return result == 0 ? 1 : 0;
    });
}
