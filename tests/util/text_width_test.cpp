// GetTextWidth on the test display: the font record it asks for (captured
// through the font factory), real text measured in real windows, and a
// screenshot of a text with its measured box drawn round it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ortk232.h"
#include "tests/frame/installed_fonts.h"
#include "util/text_width.h"

namespace {

// Captures the record of the last font asked for and the font made from it.
struct FontCapture {
    static LOGFONTA record;
    static HFONT font;
    static int calls;
    static bool fail;

    static HFONT WINAPI Create(const LOGFONTA *requested) {
        record = *requested;
        ++calls;
        font = fail ? nullptr : CreateFontIndirectA(requested);
        return font;
    }
};
LOGFONTA FontCapture::record;
HFONT FontCapture::font;
int FontCapture::calls;
bool FontCapture::fail;

class TextWidth : public testing::Test {
  protected:
    void SetUp() override {
        FontCapture::record = LOGFONTA{};
        FontCapture::font = nullptr;
        FontCapture::calls = 0;
        FontCapture::fail = false;
        previous_ = SetTextFontFactory(FontCapture::Create);
        const HDC screen = GetDC(nullptr);
        ASSERT_NE(screen, nullptr) << "no display";
        dpiX_ = GetDeviceCaps(screen, LOGPIXELSX);
        dpiY_ = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        window_ = CreateWindowA("STATIC", "GetTextWidth", WS_POPUP, 40, 40, 900, 300, nullptr,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
        ASSERT_NE(window_, nullptr);
    }
    void TearDown() override {
        SetTextFontFactory(previous_);
        DestroyWindow(window_);
    }

    // Runs the export with outputs preset to a value it must overwrite.
    long Measure(HWND window, const char *face, long points, long style, const char *text,
                 long *width, long *height) {
        *width = *height = 77;
        return GetTextWidth(window, face, points, style, text, width, height);
    }

    TextFontFactory previous_ = nullptr;
    HWND window_ = nullptr;
    int dpiX_ = 0, dpiY_ = 0;
};

struct StyleCase {
    long style;
    LONG weight;
    BYTE italic, underline;
};

class TextWidthStyles : public TextWidth, public testing::WithParamInterface<StyleCase> {};

TEST_P(TextWidthStyles, AsksForTheFontTheStyleBitsName) {
    ASSERT_EQ(dpiX_, 96);
    ASSERT_EQ(dpiY_, 96);
    long width, height;
    ASSERT_EQ(Measure(window_, "Arial", 12, GetParam().style, "Sample", &width, &height), 1);
    const LOGFONTA &f = FontCapture::record;
    EXPECT_EQ(f.lfHeight, 16);
    EXPECT_EQ(f.lfWidth, 16);
    EXPECT_EQ(f.lfEscapement, 0);
    EXPECT_EQ(f.lfOrientation, 0);
    EXPECT_EQ(f.lfWeight, GetParam().weight);
    EXPECT_EQ(f.lfItalic, GetParam().italic);
    EXPECT_EQ(f.lfUnderline, GetParam().underline);
    EXPECT_EQ(f.lfStrikeOut, 0);
    EXPECT_EQ(f.lfCharSet, 1);
    EXPECT_EQ(f.lfOutPrecision, 0);
    EXPECT_EQ(f.lfClipPrecision, 0);
    EXPECT_EQ(f.lfQuality, 0);
    EXPECT_EQ(f.lfPitchAndFamily, 0);
    EXPECT_STREQ(f.lfFaceName, "Arial");
}

INSTANTIATE_TEST_SUITE_P(Bits, TextWidthStyles,
                         testing::Values(StyleCase{0, 400, 0, 0}, StyleCase{1, 700, 0, 0},
                                         StyleCase{2, 400, 1, 0}, StyleCase{3, 700, 1, 0},
                                         StyleCase{4, 400, 0, 1}, StyleCase{7, 700, 1, 1},
                                         // Bits above 0x4 change nothing.
                                         StyleCase{0x8, 400, 0, 0},
                                         StyleCase{0x7FFFFFF8, 400, 0, 0},
                                         StyleCase{-1, 700, 1, 1}));

TEST_F(TextWidth, SizesRoundAsMulDiv) {
    ASSERT_EQ(dpiY_, 96);
    // points x 96 / 72, rounded to the nearest pixel.
    const long points[] = {1, 8, 9, 10, 11, 12, 14, 72};
    const LONG pixels[] = {1, 11, 12, 13, 15, 16, 19, 96};
    for (int i = 0; i < 8; ++i) {
        long width, height;
        Measure(window_, "Arial", points[i], 0, "x", &width, &height);
        EXPECT_EQ(FontCapture::record.lfHeight, pixels[i]) << points[i] << " points";
        EXPECT_EQ(FontCapture::record.lfWidth, pixels[i]) << points[i] << " points";
    }
}

TEST_F(TextWidth, CutsALongFaceNameAt31Characters) {
    long width, height;
    const std::string face = "Abcdefghijklmnopqrstuvwxyz0123456789";
    EXPECT_EQ(Measure(window_, face.c_str(), 12, 0, "x", &width, &height), 1);
    EXPECT_EQ(std::string(FontCapture::record.lfFaceName), face.substr(0, 31));
    const std::string exact(31, 'F');
    Measure(window_, exact.c_str(), 12, 0, "x", &width, &height);
    EXPECT_EQ(std::string(FontCapture::record.lfFaceName), exact);
    Measure(window_, std::string(5000, 'G').c_str(), 12, 0, "x", &width, &height);
    EXPECT_EQ(std::string(FontCapture::record.lfFaceName), std::string(31, 'G'));
}

TEST_F(TextWidth, DeletesTheFontItCreated) {
    long width, height;
    ASSERT_EQ(Measure(window_, "Arial", 12, 0, "Hello", &width, &height), 1);
    ASSERT_NE(FontCapture::font, nullptr);
    EXPECT_EQ(GetObjectType(FontCapture::font), 0u);
}

TEST_F(TextWidth, FontCreationFailureGivesZeroAndZeroOutputs) {
    FontCapture::fail = true;
    long width, height;
    EXPECT_EQ(Measure(window_, "Arial", 12, 0, "Hello", &width, &height), 0);
    EXPECT_EQ(FontCapture::calls, 1);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
}

TEST_F(TextWidth, BadArgumentsGiveZeroAndZeroOutputs) {
    long width, height;
    EXPECT_EQ(Measure(reinterpret_cast<HWND>(static_cast<INT_PTR>(0x7654321)), "Arial", 12, 0,
                      "Hello", &width, &height),
              0);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(Measure(window_, nullptr, 12, 0, "Hello", &width, &height), 0);
    EXPECT_EQ(width, 0);
    EXPECT_EQ(Measure(window_, "Arial", 12, 0, nullptr, &width, &height), 0);
    EXPECT_EQ(height, 0);
    width = 77;
    EXPECT_EQ(GetTextWidth(window_, "Arial", 12, 0, "Hello", &width, nullptr), 0);
    EXPECT_EQ(width, 0);
    height = 77;
    EXPECT_EQ(GetTextWidth(window_, "Arial", 12, 0, "Hello", nullptr, &height), 0);
    EXPECT_EQ(height, 0);
    EXPECT_EQ(FontCapture::calls, 0);
}

// Measures with a font of its own, on a DC of its own, in pixels.
SIZE PixelExtent(HWND window, const LOGFONTA &record, const std::string &text) {
    SIZE extent = {-1, -1};
    const HDC dc = GetDC(window);
    const HFONT font = CreateFontIndirectA(&record);
    const HGDIOBJ previous = SelectObject(dc, font);
    GetTextExtentPoint32A(dc, text.data(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, previous);
    DeleteObject(font);
    ReleaseDC(window, dc);
    return extent;
}

TEST_F(TextWidth, MeasuresRealTextInPoints) {
    // The heights below are those of a font whose cell is exactly the size
    // asked for, as Arial's is: Wine's fallback font for a missing one is not.
    ASSERT_TRUE(FontInstalled("Arial"));
    ASSERT_EQ(dpiX_, 96);
    long width, height;
    const std::string text = "Ortelan control points";
    ASSERT_EQ(Measure(window_, "Arial", 12, 0, text.c_str(), &width, &height), 1);
    // The font's cell is the 16 pixels asked for: 12 points.
    EXPECT_EQ(height, 12);
    const SIZE pixels = PixelExtent(window_, FontCapture::record, text);
    EXPECT_EQ(width, MulDiv(pixels.cx, 72, 96));
    EXPECT_GT(width, 0);

    long doubled, doubledHeight;
    ASSERT_EQ(Measure(window_, "Arial", 12, 0, (text + text).c_str(), &doubled, &doubledHeight), 1);
    EXPECT_NEAR(doubled, 2 * width, 1);

    long large, largeHeight;
    ASSERT_EQ(Measure(window_, "Arial", 24, 0, text.c_str(), &large, &largeHeight), 1);
    EXPECT_EQ(largeHeight, 24);
    EXPECT_GT(large, width * 3 / 2); // hinting keeps it from exactly twice

    long inch, inchHeight;
    ASSERT_EQ(Measure(window_, "Arial", 72, 0, "Wide", &inch, &inchHeight), 1);
    EXPECT_EQ(inchHeight, 72);
    EXPECT_EQ(inch, MulDiv(PixelExtent(window_, FontCapture::record, "Wide").cx, 72, 96));

    long bold, boldHeight;
    ASSERT_EQ(Measure(window_, "Arial", 12, 1, text.c_str(), &bold, &boldHeight), 1);
    EXPECT_GE(bold, width);

    long empty, emptyHeight;
    EXPECT_EQ(Measure(window_, "Arial", 12, 0, "", &empty, &emptyHeight), 1);
    EXPECT_EQ(empty, 0);
}

TEST_F(TextWidth, NullWindowMeasuresOnTheScreen) {
    long width, height, screenWidth, screenHeight;
    ASSERT_EQ(Measure(window_, "Arial", 16, 3, "Tessaro", &width, &height), 1);
    ASSERT_EQ(Measure(nullptr, "Arial", 16, 3, "Tessaro", &screenWidth, &screenHeight), 1);
    EXPECT_EQ(screenWidth, width);
    EXPECT_EQ(screenHeight, height);
    EXPECT_GT(screenWidth, 0);
}

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
    }
}

// Runs ImageMagick's import, a Unix program, which Wine starts from
// CreateProcess; its handle cannot be waited for, so wait for the file.
bool TakeScreenshot(const std::string &unixPath) {
    using DosNameFn = WCHAR *(CDECL *)(const char *);
    const auto dosName = reinterpret_cast<DosNameFn>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name")));
    WCHAR *wideImport = dosName != nullptr ? dosName("/usr/bin/import") : nullptr;
    WCHAR *wideShot = dosName != nullptr ? dosName(unixPath.c_str()) : nullptr;
    char import[MAX_PATH] = "", shot[MAX_PATH] = "";
    if (wideImport != nullptr)
        WideCharToMultiByte(CP_ACP, 0, wideImport, -1, import, MAX_PATH, nullptr, nullptr);
    if (wideShot != nullptr)
        WideCharToMultiByte(CP_ACP, 0, wideShot, -1, shot, MAX_PATH, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wideImport);
    HeapFree(GetProcessHeap(), 0, wideShot);
    if (import[0] == '\0' || shot[0] == '\0')
        return false;
    DeleteFileA(shot);
    std::string command = std::string("\"") + import + "\" -window root \"" + unixPath + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return false;
    if (process.hThread != nullptr)
        CloseHandle(process.hThread);
    if (process.hProcess != nullptr)
        CloseHandle(process.hProcess);
    // import writes the file at the end; wait until its size stops changing.
    LONGLONG lastSize = -1;
    for (int waited = 0; waited < 20000; waited += 250) {
        PumpMessages(250);
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!GetFileAttributesExA(shot, GetFileExInfoStandard, &data))
            continue;
        const LONGLONG size = (LONGLONG{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
        if (size > 0 && size == lastSize)
            return true;
        lastSize = size;
    }
    return false;
}

// A measured sample and the font it was measured in, painted by ShotProc.
struct ShotSample {
    const char *face;
    long points, style;
    const char *text;
    LOGFONTA font;
    long width, height;
};
std::vector<ShotSample> g_shotSamples;

LRESULT CALLBACK ShotProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message != WM_PAINT)
        return DefWindowProcA(window, message, wParam, lParam);
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX), dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const HPEN pen = CreatePen(PS_SOLID, 1, RGB(220, 0, 0));
    const HGDIOBJ oldPen = SelectObject(dc, pen);
    const HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    int y = 10;
    for (const ShotSample &s : g_shotSamples) {
        const HFONT font = CreateFontIndirectA(&s.font);
        const HGDIOBJ oldFont = SelectObject(dc, font);
        TextOutA(dc, 10, y, s.text, static_cast<int>(std::strlen(s.text)));
        SelectObject(dc, oldFont);
        DeleteObject(font);
        const int boxHeight = MulDiv(s.height, dpiY, 72);
        Rectangle(dc, 10, y, 10 + MulDiv(s.width, dpiX, 72), y + boxHeight);
        y += boxHeight + 16;
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    EndPaint(window, &paint);
    return 0;
}

// Draws texts in their fonts with the measured box round each, for a person
// to look at: each box should just hold its text.
TEST_F(TextWidth, ScreenshotOfMeasuredBoxes) {
    g_shotSamples = {{"Arial", 12, 0, "Ortelan control points", {}, 0, 0},
                     {"Times New Roman", 18, 1, "Bold residuals report", {}, 0, 0},
                     {"Courier New", 14, 6, "Italic underlined 0123", {}, 0, 0},
                     {"Arial", 28, 3, "Tessaro", {}, 0, 0}};
    for (ShotSample &s : g_shotSamples) {
        ASSERT_EQ(Measure(window_, s.face, s.points, s.style, s.text, &s.width, &s.height), 1);
        s.font = FontCapture::record;
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ShotProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "OrtkTextWidthShot";
    RegisterClassA(&windowClass);
    const HWND shot = CreateWindowA("OrtkTextWidthShot", "", WS_POPUP | WS_VISIBLE, 60, 380, 700,
                                    260, nullptr, nullptr, windowClass.hInstance, nullptr);
    ASSERT_NE(shot, nullptr);
    PumpMessages(500);
    const char *folder = std::getenv("ORTK_SCREENSHOTS");
    if (folder != nullptr && folder[0] != '\0') {
        EXPECT_TRUE(TakeScreenshot(std::string(folder) + "/text-width-boxes.png"));
    }
    DestroyWindow(shot);
}

} // namespace
