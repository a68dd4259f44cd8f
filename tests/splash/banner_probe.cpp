#include "tests/splash/banner_probe.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <set>

#include "res/resource.h"
#include "tests/frame/installed_fonts.h"

namespace {

enum class FontKind { Title, Body, Bold, Heading, Template, None };

// One control of a box: its id (-1 for the unnamed ones), its rectangle in
// dialog units, its text and the font it carries.
struct ControlRow {
    int id;
    int left, top, width, height;
    std::string text;
    FontKind font;
    bool visible;
};

constexpr int kUnnamed = -1;
constexpr int kPicture = -2; // the unnamed banner picture

bool IsAbout(BoxKind kind) {
    return kind == BoxKind::AboutDefault || kind == BoxKind::AboutHalcyra;
}

bool IsHalcyra(BoxKind kind) {
    return kind == BoxKind::AboutHalcyra || kind == BoxKind::SplashHalcyra;
}

std::vector<ControlRow> ExpectedControls(const BoxExpectation &box) {
    const bool about = IsAbout(box.kind);
    const bool halcyra = IsHalcyra(box.kind);
    const int x = about ? 268 : 270;
    std::vector<ControlRow> rows = {
        {kPicture, 7, 7, halcyra ? 255 : 217, 200, "", FontKind::None, true},
        {IDC_TAGLINE, x, 24, 165, 11, "Geoscience Tools for Tessaro", FontKind::Bold, true},
        {IDC_OWNERSHIP, x, 36, 165, 10, "Copyright \xa9 2003-2026 Veltrane", FontKind::Body, true},
        {IDC_RIGHTS, x, 46, 165, 10, "All rights reserved.", FontKind::Body, true},
        {IDC_ORGANISATION, x, 78, 165, 11, box.organisation, FontKind::Body, true},
        {IDC_USER, x, 100, 165, about ? 14 : 15, box.userLine, FontKind::Body, true},
        {IDC_CONTACT_HEADING, x, 128, 158, 10, "Sales and Technical Support", FontKind::Heading,
         true},
        {IDC_CONTACT, x, 138, 165, 23, "Phone +1 303 555 0142\nsupport@veltrane.com",
         FontKind::Body, true},
        {IDC_WEB, x, 164, 158, 10, "www.veltrane.com", FontKind::Bold, true},
    };
    if (halcyra) {
        rows.push_back({IDC_TITLE, x, 7, 165, 18, box.title, FontKind::Title, true});
        rows.push_back({kUnnamed, x, 199, 53, 8, "Image: Veltrane", FontKind::Template, true});
    } else {
        rows.push_back(
            {IDC_TITLE, 232, 7, about ? 201 : 203, 18, box.title, FontKind::Title, true});
    }
    if (about) {
        rows.push_back({IDOK, 383, 193, 50, 14, "OK", FontKind::Template, true});
        if (halcyra)
            rows.push_back({IDC_AUTOLOAD, 383, 176, 50, 14, "AutoLoad", FontKind::Template, false});
        else
            rows.push_back({IDC_AUTOLOAD, 330, 193, 50, 14, "AutoLoad", FontKind::Template, false});
    }
    return rows;
}

struct FontShape {
    LONG height;
    LONG weight;
};

FontShape ShapeOf(FontKind kind) {
    switch (kind) {
    case FontKind::Title: return {-22, 700};
    case FontKind::Body: return {-12, 400};
    case FontKind::Bold: return {-12, 700};
    case FontKind::Heading: return {-11, 700};
    default: return {0, 0};
    }
}

HFONT FontOf(HWND window) {
    return reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0));
}

void CheckFont(HWND control, FontKind kind, HFONT templateFont, const std::string &what) {
    if (kind == FontKind::None)
        return;
    const HFONT font = FontOf(control);
    if (kind == FontKind::Template) {
        EXPECT_EQ(font, templateFont) << what << " should keep the template font";
        return;
    }
    ASSERT_NE(font, nullptr) << what;
    ASSERT_NE(font, templateFont) << what;
    LOGFONTA logFont = {};
    ASSERT_EQ(GetObjectA(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont)) << what;
    const FontShape shape = ShapeOf(kind);
    EXPECT_EQ(logFont.lfHeight, shape.height) << what;
    EXPECT_EQ(logFont.lfWeight, shape.weight) << what;
    EXPECT_STREQ(logFont.lfFaceName, "Arial") << what;
    EXPECT_EQ(logFont.lfWidth, 0) << what;
    EXPECT_EQ(logFont.lfEscapement, 0) << what;
    EXPECT_EQ(logFont.lfOrientation, 0) << what;
    EXPECT_EQ(logFont.lfItalic, 0) << what;
    EXPECT_EQ(logFont.lfUnderline, 0) << what;
    EXPECT_EQ(logFont.lfStrikeOut, 0) << what;
    EXPECT_EQ(logFont.lfCharSet, 0) << what;
    EXPECT_EQ(logFont.lfOutPrecision, 7) << what;
    EXPECT_EQ(logFont.lfClipPrecision, 0) << what;
    EXPECT_EQ(logFont.lfQuality, 0) << what;
    EXPECT_EQ(logFont.lfPitchAndFamily, 0x22) << what;
}

// A static's text wraps at its width; a text that needs more height than
// the control has is clipped on screen.
void CheckTextFits(HWND control, const std::string &what) {
    const std::string text = WindowText(control);
    if (text.empty())
        return;
    RECT client;
    GetClientRect(control, &client);
    HDC dc = GetDC(control);
    HGDIOBJ previous = SelectObject(dc, FontOf(control));
    RECT needed = {0, 0, client.right, 0};
    DrawTextA(dc, text.c_str(), -1, &needed, DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS);
    SelectObject(dc, previous);
    ReleaseDC(control, dc);
    EXPECT_LE(needed.bottom, client.bottom) << what << " \"" << text << "\" is cut off";
    EXPECT_LE(needed.right, client.right) << what << " \"" << text << "\" is cut off";
}

// The dialog manager converts a control's position and its size separately,
// so the right edge is the converted left plus the converted width.
RECT DialogUnitsToPixels(HWND dialog, int left, int top, int width, int height) {
    RECT units = {left, top, width, height};
    MapDialogRect(dialog, &units);
    return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

RECT ClientRectIn(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

HWND FindControl(HWND dialog, const ControlRow &row) {
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        const bool unnamed = (id & 0xFFFF) == 0xFFFF;
        const bool picture = (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_BITMAP;
        if (row.id == kPicture   ? unnamed && picture
            : row.id == kUnnamed ? unnamed && !picture
                                 : id == row.id)
            return child;
    }
    return nullptr;
}

int CountChildren(HWND dialog) {
    int count = 0;
    for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT))
        ++count;
    return count;
}

void CheckFrame(HWND dialog, BoxKind kind) {
    const LONG style = GetWindowLongA(dialog, GWL_STYLE);
    const LONG exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(style & WS_SYSMENU);
    if (IsAbout(kind)) {
        EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
        EXPECT_EQ(WindowText(dialog), "About");
    } else {
        EXPECT_NE(style & WS_CAPTION, WS_CAPTION);
    }
    EXPECT_TRUE(IsWindowVisible(dialog));

    // Size of the box in dialog units, and centred on the screen's work area.
    RECT client;
    GetClientRect(dialog, &client);
    const RECT size = DialogUnitsToPixels(dialog, 0, 0, IsAbout(kind) ? 440 : 442, 214);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);
    RECT frame, work;
    GetWindowRect(dialog, &frame);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 2);
    EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 2);
}

} // namespace

void CheckBannerBox(HWND dialog, const BoxExpectation &expected) {
    // Whether each text fits its control depends on the fonts: the texts'
    // Arial and the template's MS Sans Serif, which sizes the controls.
    ASSERT_TRUE(FontInstalled("Arial"));
    ASSERT_TRUE(FontInstalled("MS Sans Serif"));
    ASSERT_TRUE(IsWindow(dialog));
    CheckFrame(dialog, expected.kind);
    const HFONT templateFont = FontOf(dialog);
    ASSERT_NE(templateFont, nullptr);

    const std::vector<ControlRow> rows = ExpectedControls(expected);
    EXPECT_EQ(CountChildren(dialog), static_cast<int>(rows.size()));
    for (const ControlRow &row : rows) {
        const std::string what = "control " + std::to_string(row.id) + " (" + row.text + ")";
        HWND control = FindControl(dialog, row);
        ASSERT_NE(control, nullptr) << what;
        EXPECT_EQ(IsWindowVisible(control) != FALSE, row.visible) << what;
        if (row.id != kPicture) {
            EXPECT_EQ(WindowText(control), row.text) << what;
        }
        CheckFont(control, row.font, templateFont, what);

        const RECT wanted = DialogUnitsToPixels(dialog, row.left, row.top, row.width, row.height);
        const RECT actual = ClientRectIn(dialog, control);
        EXPECT_EQ(actual.left, wanted.left) << what;
        EXPECT_EQ(actual.top, wanted.top) << what;
        EXPECT_EQ(actual.right, wanted.right) << what;
        EXPECT_EQ(actual.bottom, wanted.bottom) << what;
        if (row.id == kPicture) {
            // The banner is drawn to the picture's whole frame.
            const HBITMAP banner =
                reinterpret_cast<HBITMAP>(SendMessageA(control, STM_GETIMAGE, IMAGE_BITMAP, 0));
            BITMAP bitmap = {};
            ASSERT_NE(GetObjectA(banner, sizeof bitmap, &bitmap), 0) << what;
            EXPECT_EQ(bitmap.bmWidth, IsHalcyra(expected.kind) ? 382 : 325) << what;
            EXPECT_EQ(bitmap.bmHeight, 325) << what;
            EXPECT_TRUE(GetWindowLongA(control, GWL_STYLE) & SS_REALSIZECONTROL) << what;
        } else {
            if (row.visible) {
                CheckTextFits(control, what);
            }
        }
    }
}

std::vector<HFONT> BoxFonts(HWND dialog) {
    std::set<HFONT> fonts;
    const HFONT templateFont = FontOf(dialog);
    for (int id : {IDC_TITLE, IDC_TAGLINE, IDC_OWNERSHIP, IDC_RIGHTS, IDC_ORGANISATION, IDC_USER,
                   IDC_CONTACT_HEADING, IDC_CONTACT, IDC_WEB}) {
        const HFONT font = FontOf(GetDlgItem(dialog, id));
        if (font != nullptr && font != templateFont)
            fonts.insert(font);
    }
    return std::vector<HFONT>(fonts.begin(), fonts.end());
}

namespace {

struct ThreadDialogs {
    HWND visible = nullptr;
    int count = 0;
};

BOOL CALLBACK CollectDialog(HWND window, LPARAM data) {
    auto *dialogs = reinterpret_cast<ThreadDialogs *>(data);
    char name[32] = "";
    GetClassNameA(window, name, sizeof name);
    if (std::string(name) == "#32770") {
        ++dialogs->count;
        if (dialogs->visible == nullptr && IsWindowVisible(window))
            dialogs->visible = window;
    }
    return TRUE;
}

} // namespace

HWND FindThreadDialog(DWORD threadId) {
    ThreadDialogs dialogs;
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs.visible;
}

int CountThreadDialogs(DWORD threadId) {
    ThreadDialogs dialogs;
    EnumThreadWindows(threadId, CollectDialog, reinterpret_cast<LPARAM>(&dialogs));
    return dialogs.count;
}

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

HWND CreateHostWindow(const char *title, int left, int top) {
    static ATOM windowClass = [] {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "BannerTestHost";
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        return RegisterClassA(&wc);
    }();
    (void)windowClass;
    HWND window =
        CreateWindowA("BannerTestHost", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, 240,
                      120, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    PumpMessagesFor(50);
    return window;
}

bool SaveScreenshot(HWND window, const char *name) {
    const char *folder = std::getenv("ORTK_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0')
        return false;
    RECT rect;
    GetWindowRect(window, &rect);
    const std::string target = std::string(folder) + "/" + name + ".png";
    const std::string partial = std::string(folder) + "/." + name + ".partial.png";
    const std::string dosTarget = "Z:" + target;
    DeleteFileA(dosTarget.c_str());
    // import is a program of the host system: Wine starts it but cannot wait
    // for it, so the file appears under its final name only when complete.
    char command[1024];
    std::snprintf(command, sizeof command,
                  "/bin/sh -c \"import -window root -crop %ldx%ld+%ld+%ld +repage '%s' && mv "
                  "'%s' '%s'\"",
                  rect.right - rect.left, rect.bottom - rect.top, rect.left, rect.top,
                  partial.c_str(), partial.c_str(), target.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100; ++i) {
        if (GetFileAttributesA(dosTarget.c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
        PumpMessagesFor(50);
    }
    return false;
}
