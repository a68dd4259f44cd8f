// What the splash screen and the About box share: their four fonts, the texts
// of the call under way and the initialisation of a box.
#ifndef ORTK232_SPLASH_BANNER_BOX_H
#define ORTK232_SPLASH_BANNER_BOX_H

#include <windows.h>

#include "frame/handles.h"

// The four Arial fonts of a box. Each box owns one set, created when it is
// opened and deleted once it has been destroyed.
struct BannerFonts {
    ScopedFont title;
    ScopedFont body;
    ScopedFont bold;
    ScopedFont heading;

    // Deletes any fonts held and creates the four anew; a font that cannot be
    // created stays null and its controls keep the template font.
    void Create();
    void Release();
};

// The texts of the call under way, read by the dialog procedure while it
// initialises the box. Filled for the length of one dialog creation.
struct BannerTexts {
    const char *productName;
    const char *version;
    const char *userName;
    const char *organisation;
};

// Puts the texts into the library-wide slots and empties them again when it
// goes out of scope.
class ScopedBannerTexts {
  public:
    explicit ScopedBannerTexts(const BannerTexts &texts);
    ~ScopedBannerTexts();
    ScopedBannerTexts(const ScopedBannerTexts &) = delete;
    ScopedBannerTexts &operator=(const ScopedBannerTexts &) = delete;
};

// Fonts, title, organisation and user line of a box being initialised, from
// the slots. Never throws: it runs inside a dialog procedure.
void InitialiseBannerBox(HWND dialog, const BannerFonts &fonts) noexcept;

// Called with the colour message a static sends just before it paints: for
// the banner picture, asks for an averaged rather than a row-dropping stretch,
// in case the frame and the bitmap differ in size under the user's dialog
// font. Leaves the painting itself to the control.
void PrepareBannerPainting(HDC dc, HWND control) noexcept;

// Called as a box is destroyed: takes the banner picture out of its static
// control and deletes it. A static control that loaded its picture from the
// dialog template is not relied on to delete it (Wine's keeps it for ever),
// and one whose picture was taken out leaves it to the caller.
void ReleaseBannerPicture(HWND dialog) noexcept;

#endif
