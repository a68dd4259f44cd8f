#include "tests/splash/banner_probe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "res/resource.h"
#include "tests/frame/captured_messages.h"
#include "tests/frame/installed_fonts.h"

namespace {

// The fonts as "height width escapement orientation weight italic underline
// strike charset precision clipping quality pitch face".
const char kTitle[] = "-22 0 0 0 700 000 0 7 0 0 0x22 Arial";
const char kBody[] = "-12 0 0 0 400 000 0 7 0 0 0x22 Arial";
const char kBold[] = "-12 0 0 0 700 000 0 7 0 0 0x22 Arial";
const char kHeading[] = "-11 0 0 0 700 000 0 7 0 0 0x22 Arial";
const char kTemplate[] = "template";

std::string DescribeFont(HFONT font, HFONT templateFont) {
    LOGFONTA f = {};
    if (font == templateFont)
        return kTemplate;
    if (GetObjectA(font, sizeof f, &f) != sizeof f)
        return "no font";
    char text[128];
    std::snprintf(text, sizeof text, "%ld %ld %ld %ld %ld %d%d%d %d %d %d %d %#x %s", f.lfHeight,
                  f.lfWidth, f.lfEscapement, f.lfOrientation, f.lfWeight, f.lfItalic, f.lfUnderline,
                  f.lfStrikeOut, f.lfCharSet, f.lfOutPrecision, f.lfClipPrecision, f.lfQuality,
                  f.lfPitchAndFamily, f.lfFaceName);
    return text;
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

} // namespace

void CheckBannerBox(HWND dialog, const BoxExpectation &expected) {
    // Whether each text fits its control depends on the fonts: the texts'
    // Arial and the template's MS Sans Serif, which sizes the controls.
    ASSERT_TRUE(FontInstalled("Arial"));
    ASSERT_TRUE(FontInstalled("MS Sans Serif"));
    ASSERT_TRUE(IsWindow(dialog));
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    EXPECT_EQ(style & (WS_POPUP | WS_SYSMENU | WS_VISIBLE), WS_POPUP | WS_VISIBLE);
    EXPECT_EQ((style & WS_CAPTION) == WS_CAPTION, expected.about);
    EXPECT_TRUE(GetWindowLongA(dialog, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);
    EXPECT_EQ(WindowText(dialog), expected.about ? "About" : "");
    // Centred on the work area.
    RECT frame, work;
    GetWindowRect(dialog, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(frame.left + frame.right, work.left + work.right, 4);
    EXPECT_NEAR(frame.top + frame.bottom, work.top + work.bottom, 4);
    // Every control: text and font; the banner picture: its bitmap.
    const struct {
        int id;
        std::string text;
        const char *font;
    } rows[] = {
        {IDC_TITLE, expected.title, kTitle},
        {IDC_TAGLINE, "Geoscience Tools for Tessaro", kBold},
        {IDC_OWNERSHIP, "Copyright \xa9 2003-2026 Veltrane", kBody},
        {IDC_RIGHTS, "All rights reserved.", kBody},
        {IDC_ORGANISATION, expected.organisation, kBody},
        {IDC_USER, expected.userLine, kBody},
        {IDC_CONTACT_HEADING, "Sales and Technical Support", kHeading},
        {IDC_CONTACT, "Phone +1 303 555 0142\nsupport@veltrane.com", kBody},
        {IDC_WEB, "www.veltrane.com", kBold},
        {IDOK, expected.about ? "OK" : "", expected.about ? kTemplate : "no font"},
        {IDC_AUTOLOAD, expected.about ? "AutoLoad" : "", expected.about ? kTemplate : "no font"},
    };
    for (const auto &row : rows) {
        HWND control = GetDlgItem(dialog, row.id);
        EXPECT_EQ(control != nullptr ? WindowText(control) : "", row.text) << row.id;
        EXPECT_EQ(DescribeFont(FontOf(control), FontOf(dialog)), row.font) << row.id;
        EXPECT_EQ(IsWindowVisible(control) != FALSE,
                  row.id == IDOK ? expected.about : row.id != IDC_AUTOLOAD)
            << row.id;
    }
    int children = 0;
    HWND picture = nullptr;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ++children;
        if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP)
            picture = child;
    }
    EXPECT_EQ(children, 10 + (expected.about ? 2 : 0) + (expected.halcyra ? 1 : 0));
    BITMAP bitmap = {};
    GetObjectA(reinterpret_cast<HBITMAP>(SendMessageA(picture, STM_GETIMAGE, IMAGE_BITMAP, 0)),
               sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, expected.halcyra ? 382 : 325);
    EXPECT_EQ(bitmap.bmHeight, 325);
}

std::vector<HFONT> BoxFonts(HWND dialog) {
    std::set<HFONT> fonts;
    for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (FontOf(child) != nullptr && FontOf(child) != FontOf(dialog))
            fonts.insert(FontOf(child));
    return std::vector<HFONT>(fonts.begin(), fonts.end());
}

namespace {

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) != "#32770" || !IsWindowVisible(window))
        return TRUE;
    *reinterpret_cast<HWND *>(found) = window;
    return FALSE;
}

} // namespace

HWND FindThreadDialog(DWORD threadId) {
    HWND found = nullptr;
    EnumThreadWindows(threadId, FindVisibleDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

HWND CreateHostWindow(const char *title, int left, int top) {
    HWND window = CreateWindowA("STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, 240,
                                120, nullptr, nullptr, nullptr, nullptr);
    PumpMessagesFor(50);
    return window;
}

bool SaveScreenshot(HWND window, const char *name) {
    const char *folder = std::getenv("ORTK_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0')
        return true;
    RECT r;
    GetWindowRect(window, &r);
    const std::string target = std::string(folder) + "/" + name + ".png";
    const std::string partial = std::string(folder) + "/." + name + ".partial.png";
    DeleteFileA(("Z:" + target).c_str());
    // import is a program of the host system: Wine starts it but cannot wait
    // for it, so the file appears under its final name only when complete.
    char command[1024];
    std::snprintf(command, sizeof command,
                  "/bin/sh -c \"import -window root -crop %ldx%ld+%ld+%ld +repage '%s' && mv "
                  "'%s' '%s'\"",
                  r.right - r.left, r.bottom - r.top, r.left, r.top, partial.c_str(),
                  partial.c_str(), target.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100; ++i) {
        if (GetFileAttributesA(("Z:" + target).c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        PumpMessagesFor(50);
    }
    return false;
}
