// GetTextWidth on the test display: the font record it asks for (captured
// through the font factory) and real text measured in a real window.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "ortk232.h"
#include "tests/frame/installed_fonts.h"
#include "tests/splash/banner_probe.h"
#include "util/text_width.h"

namespace {

// The record of the last font asked for, the font made from it, the calls.
LOGFONTA g_record;
HFONT g_font;
int g_calls;
bool g_fail;

HFONT WINAPI CaptureFont(const LOGFONTA *requested) {
    g_record = *requested;
    ++g_calls;
    return g_font = g_fail ? nullptr : CreateFontIndirectA(requested);
}

HWND Window() {
    static HWND window = CreateWindowA("STATIC", "GetTextWidth", WS_POPUP | WS_VISIBLE, 40, 40, 700,
                                       300, nullptr, nullptr, nullptr, nullptr);
    SetTextFontFactory(CaptureFont);
    return window;
}

// "result width height", the outputs preset to a value to be overwritten.
std::string Measure(const char *face, long points, long style, const char *text,
                    HWND window = Window()) {
    long width = 77, height = 77;
    const long result = GetTextWidth(window, face, points, style, text, &width, &height);
    return std::to_string(result) + " " + std::to_string(width) + " " + std::to_string(height);
}

// The same in the captured font, measured here at the display's 96 pixels
// an inch.
std::string Expected(const char *text) {
    HDC dc = GetDC(Window());
    HGDIOBJ previous = SelectObject(dc, CreateFontIndirectA(&g_record));
    SIZE extent = {};
    GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
    DeleteObject(SelectObject(dc, previous));
    EXPECT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    ReleaseDC(Window(), dc);
    return "1 " + std::to_string(MulDiv(extent.cx, 72, 96)) + " " +
           std::to_string(MulDiv(extent.cy, 72, 96));
}

TEST(TextWidth, AsksForTheFontOfThatSizeStyleAndFace) {
    // Cell height and average width both the size in pixels (rounded as
    // MulDiv rounds); style bits 1 bold, 2 italic, 4 underline, the others
    // ignored; the face name cut to 31 characters.
    const std::string longFace(5000, 'G');
    const struct {
        long points, style;
        const char *face, *record;
    } cases[] = {
        {12, 0, "Arial", "16 16 0 0 400 000 1 0 0 0 0 Arial"},
        {12, 1, "Arial", "16 16 0 0 700 000 1 0 0 0 0 Arial"},
        {12, 6, "Arial", "16 16 0 0 400 110 1 0 0 0 0 Arial"},
        {12, 0x7FFFFFF8, "Arial", "16 16 0 0 400 000 1 0 0 0 0 Arial"},
        {1, -1, "Arial", "1 1 0 0 700 110 1 0 0 0 0 Arial"},
        {11, 0, "Arial", "15 15 0 0 400 000 1 0 0 0 0 Arial"},
        {72, 0, longFace.c_str(), "96 96 0 0 400 000 1 0 0 0 0 GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Measure(c.face, c.points, c.style, "Sample").substr(0, 2), "1 ");
        char record[128];
        snprintf(record, sizeof record, "%ld %ld %ld %ld %ld %d%d%d %d %d %d %d %d %s",
                 g_record.lfHeight, g_record.lfWidth, g_record.lfEscapement, g_record.lfOrientation,
                 g_record.lfWeight, g_record.lfItalic, g_record.lfUnderline, g_record.lfStrikeOut,
                 g_record.lfCharSet, g_record.lfOutPrecision, g_record.lfClipPrecision,
                 g_record.lfQuality, g_record.lfPitchAndFamily, g_record.lfFaceName);
        EXPECT_EQ(record, std::string(c.record)) << c.points << " points, style " << c.style;
        EXPECT_EQ(GetObjectType(g_font), 0u) << "the font was not deleted";
    }
}

TEST(TextWidth, MeasuresRealTextInPointsOnTheWindowOrTheScreen) {
    // A line of 12 points is 12 points high in Arial, whose cell is the size
    // asked for (Wine's fallback font for a missing one is not).
    ASSERT_TRUE(FontInstalled("Arial"));
    const char text[] = "Ortelan control points";
    for (const auto &font : {std::make_pair("Arial", 12L), std::make_pair("Arial", 72L),
                             std::make_pair("Times New Roman", 18L)}) {
        const std::string measured = Measure(font.first, font.second, 3, text);
        EXPECT_EQ(measured, Expected(text)) << font.first << " " << font.second;
        EXPECT_TRUE(std::regex_match(measured, std::regex("1 [1-9]\\d+ \\d+"))) << measured;
    }
    EXPECT_TRUE(std::regex_match(Measure("Arial", 12, 0, text), std::regex("1 \\d+ 12")));
    EXPECT_EQ(Measure("Arial", 16, 3, "Tessaro", nullptr), Measure("Arial", 16, 3, "Tessaro"));
    EXPECT_EQ(Measure("Arial", 12, 0, ""), "1 0 " + Expected("").substr(4));
}

TEST(TextWidth, FailuresGiveZeroAndZeroOutputs) {
    g_calls = 0;
    EXPECT_EQ(Measure("Arial", 12, 0, "Hello", reinterpret_cast<HWND>(0x7654321)), "0 0 0");
    EXPECT_EQ(Measure(nullptr, 12, 0, "Hello"), "0 0 0");
    EXPECT_EQ(Measure("Arial", 12, 0, nullptr), "0 0 0");
    long width = 77, height = 77;
    EXPECT_EQ(GetTextWidth(Window(), "Arial", 12, 0, "Hello", &width, nullptr), 0);
    EXPECT_EQ(GetTextWidth(Window(), "Arial", 12, 0, "Hello", nullptr, &height), 0);
    EXPECT_EQ(width + height, 0);
    EXPECT_EQ(g_calls, 0);
    g_fail = true;
    EXPECT_EQ(Measure("Arial", 12, 0, "Hello"), "0 0 0");
    g_fail = false;
    EXPECT_EQ(g_calls, 1);
}

// Texts drawn in their fonts with the measured box round each, for a person
// to look at: each box should just hold its text.
TEST(TextWidth, ScreenshotOfMeasuredBoxes) {
    PumpMessagesFor(200); // the window's own painting first
    HDC dc = GetDC(Window());
    PatBlt(dc, 0, 0, 700, 300, WHITENESS);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    int y = 10;
    for (const char *face : {"Arial", "Times New Roman", "Courier New"}) {
        const std::string text = std::string(face) + " bold italic underlined 0123";
        long width = 0, height = 0;
        ASSERT_EQ(GetTextWidth(Window(), face, 18, 7, text.c_str(), &width, &height), 1);
        HGDIOBJ previous = SelectObject(dc, CreateFontIndirectA(&g_record));
        TextOutA(dc, 10, y, text.c_str(), static_cast<int>(text.size()));
        DeleteObject(SelectObject(dc, previous));
        Rectangle(dc, 10, y, 10 + MulDiv(width, 96, 72), y + MulDiv(height, 96, 72));
        y += MulDiv(height, 96, 72) + 16;
    }
    ReleaseDC(Window(), dc);
    EXPECT_TRUE(SaveScreenshot(Window(), "text-width-boxes"));
}

} // namespace
