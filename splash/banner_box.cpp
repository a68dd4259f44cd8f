#include "splash/banner_box.h"

#include <windowsx.h>

#include "res/resource.h"
#include "splash/banner_text.h"

namespace {

BannerTexts g_bannerTexts = {nullptr, nullptr, nullptr, nullptr};

HFONT CreateArialFont(int height, int weight) {
    return CreateFontA(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, ANSI_CHARSET,
                       OUT_TT_ONLY_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       VARIABLE_PITCH | FF_SWISS, "Arial");
}

void SetControlFont(HWND dialog, int controlId, HFONT font) {
    if (font == nullptr)
        return;
    SetWindowFont(GetDlgItem(dialog, controlId), font, TRUE);
}

bool IsAnsiLeadByte(unsigned char byte) {
    return IsDBCSLeadByte(byte) != FALSE;
}

} // namespace

void BannerFonts::Create() {
    title.reset(CreateArialFont(22, FW_BOLD));
    body.reset(CreateArialFont(12, FW_NORMAL));
    bold.reset(CreateArialFont(12, FW_BOLD));
    heading.reset(CreateArialFont(11, FW_BOLD));
}

void BannerFonts::Release() {
    title.reset();
    body.reset();
    bold.reset();
    heading.reset();
}

ScopedBannerTexts::ScopedBannerTexts(const BannerTexts &texts) {
    g_bannerTexts = texts;
}

ScopedBannerTexts::~ScopedBannerTexts() {
    g_bannerTexts = {nullptr, nullptr, nullptr, nullptr};
}

void InitialiseBannerBox(HWND dialog, const BannerFonts &fonts) noexcept {
    SetControlFont(dialog, IDC_TITLE, fonts.title.get());
    SetControlFont(dialog, IDC_TAGLINE, fonts.bold.get());
    SetControlFont(dialog, IDC_OWNERSHIP, fonts.body.get());
    SetControlFont(dialog, IDC_RIGHTS, fonts.body.get());
    SetControlFont(dialog, IDC_ORGANISATION, fonts.body.get());
    SetControlFont(dialog, IDC_USER, fonts.body.get());
    SetControlFont(dialog, IDC_CONTACT_HEADING, fonts.heading.get());
    SetControlFont(dialog, IDC_CONTACT, fonts.body.get());
    SetControlFont(dialog, IDC_WEB, fonts.bold.get());

    const BannerTexts &texts = g_bannerTexts;
    char title[kBannerTextSize];
    ComposeBannerTitle(title, sizeof title, IsHalcyraProduct(texts.productName), texts.productName,
                       texts.version, IsAnsiLeadByte);
    SetDlgItemTextA(dialog, IDC_TITLE, title);

    SetDlgItemTextA(dialog, IDC_ORGANISATION,
                    texts.organisation != nullptr ? texts.organisation : "");

    if (texts.userName != nullptr && !IsNoUserName(texts.userName)) {
        char userLine[kBannerTextSize];
        ComposeUserLine(userLine, sizeof userLine, texts.userName, IsAnsiLeadByte);
        SetDlgItemTextA(dialog, IDC_USER, userLine);
    }
}

void PrepareBannerPainting(HDC dc, HWND control) noexcept {
    if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
        return;
    // The control paints through a fresh device context each time, so the
    // setting does not outlive this paint.
    SetStretchBltMode(dc, HALFTONE);
    SetBrushOrgEx(dc, 0, 0, nullptr);
}

void ReleaseBannerPicture(HWND dialog) noexcept {
    for (HWND control = GetWindow(dialog, GW_CHILD); control != nullptr;
         control = GetWindow(control, GW_HWNDNEXT)) {
        if ((GetWindowLongA(control, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP)
            continue;
        const HANDLE picture =
            reinterpret_cast<HANDLE>(SendMessageA(control, STM_SETIMAGE, IMAGE_BITMAP, 0));
        if (picture != nullptr)
            DeleteObject(picture);
    }
}
