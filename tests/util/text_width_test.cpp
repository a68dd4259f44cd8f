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
    g_font = g_fail ? nullptr : CreateFontIndirectA(requested);
    return g_font;
}

class TextWidth : public testing::Test {
  protected:
    void SetUp() override {
        g_calls = 0;
        g_fail = false;
        previous_ = SetTextFontFactory(CaptureFont);
        window_ = CreateWindowA("STATIC", "GetTextWidth", WS_POPUP | WS_VISIBLE, 40, 40, 700, 300,
                                nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(window_, nullptr);
        HDC dc = GetDC(window_);
        ASSERT_EQ(GetDeviceCaps(dc, LOGPIXELSX), 96);
        ASSERT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
        ReleaseDC(window_, dc);
    }
    void TearDown() override {
        SetTextFontFactory(previous_);
        DestroyWindow(window_);
    }
    // The export with both outputs preset to a value it must overwrite:
    // "result width height".
    std::string Measure(const char *face, long points, long style, const char *text,
                        HWND window = reinterpret_cast<HWND>(-1)) {
        long width = 77, height = 77;
        const long result = GetTextWidth(window == reinterpret_cast<HWND>(-1) ? window_ : window,
                                         face, points, style, text, &width, &height);
        return std::to_string(result) + " " + std::to_string(width) + " " + std::to_string(height);
    }
    // Width and height in points of the text in the captured font, measured
    // here on a DC of the test's own.
    std::string Expected(const char *text) {
        HDC dc = GetDC(window_);
        HFONT font = CreateFontIndirectA(&g_record);
        HGDIOBJ previous = SelectObject(dc, font);
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text, static_cast<int>(strlen(text)), &extent);
        SelectObject(dc, previous);
        DeleteObject(font);
        ReleaseDC(window_, dc);
        return "1 " + std::to_string(MulDiv(extent.cx, 72, 96)) + " " +
               std::to_string(MulDiv(extent.cy, 72, 96));
    }
    TextFontFactory previous_ = nullptr;
    HWND window_ = nullptr;
};

TEST_F(TextWidth, AsksForTheFontThatSizeStyleAndFaceName) {
    // Cell height and average width both the point size in pixels (rounded
    // as MulDiv rounds); style bits 1 bold, 2 italic, 4 underline, the
    // others ignored; the face name cut to 31 characters.
    const struct {
        long points, style;
        const char *face, *record;
    } cases[] = {
        {12, 0, "Arial", "16 16 0 0 400 000 1 0 0 0 0 Arial"},
        {12, 1, "Arial", "16 16 0 0 700 000 1 0 0 0 0 Arial"},
        {12, 2, "Arial", "16 16 0 0 400 100 1 0 0 0 0 Arial"},
        {12, 4, "Arial", "16 16 0 0 400 010 1 0 0 0 0 Arial"},
        {12, 0x7FFFFFF8, "Arial", "16 16 0 0 400 000 1 0 0 0 0 Arial"},
        {12, -1, "Arial", "16 16 0 0 700 110 1 0 0 0 0 Arial"},
        {1, 0, "Arial", "1 1 0 0 400 000 1 0 0 0 0 Arial"},
        {9, 0, "Arial", "12 12 0 0 400 000 1 0 0 0 0 Arial"},
        {11, 0, "Arial", "15 15 0 0 400 000 1 0 0 0 0 Arial"},
        {72, 0, "Arial", "96 96 0 0 400 000 1 0 0 0 0 Arial"},
        {12, 0, "Abcdefghijklmnopqrstuvwxyz0123456789",
         "16 16 0 0 400 000 1 0 0 0 0 Abcdefghijklmnopqrstuvwxyz01234"},
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
    }
    Measure(std::string(5000, 'G').c_str(), 12, 0, "x");
    EXPECT_EQ(std::string(g_record.lfFaceName), std::string(31, 'G'));
    // The font it made is deleted again.
    EXPECT_EQ(GetObjectType(g_font), 0u);
}

TEST_F(TextWidth, MeasuresRealTextInPointsOnTheWindowOrTheScreen) {
    // As wide and high as the text is in the font asked for, measured here;
    // a line of 12 points is 12 points high (Arial's cell is the size asked
    // for; Wine's fallback font for a missing one is not).
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
    const std::string empty = Measure("Arial", 12, 0, "");
    EXPECT_EQ(empty, Expected(""));
    EXPECT_EQ(empty.substr(0, 4), "1 0 ");
}

TEST_F(TextWidth, FailuresGiveZeroAndZeroOutputs) {
    EXPECT_EQ(Measure("Arial", 12, 0, "Hello", reinterpret_cast<HWND>(0x7654321)), "0 0 0");
    EXPECT_EQ(Measure(nullptr, 12, 0, "Hello"), "0 0 0");
    EXPECT_EQ(Measure("Arial", 12, 0, nullptr), "0 0 0");
    long width = 77, height = 77;
    EXPECT_EQ(GetTextWidth(window_, "Arial", 12, 0, "Hello", &width, nullptr), 0);
    EXPECT_EQ(GetTextWidth(window_, "Arial", 12, 0, "Hello", nullptr, &height), 0);
    EXPECT_EQ(width + height, 0);
    EXPECT_EQ(g_calls, 0);
    g_fail = true;
    EXPECT_EQ(Measure("Arial", 12, 0, "Hello"), "0 0 0");
    EXPECT_EQ(g_calls, 1);
}

// Texts drawn in their fonts with the measured box round each, for a person
// to look at: each box should just hold its text.
TEST_F(TextWidth, ScreenshotOfMeasuredBoxes) {
    PumpMessagesFor(200); // the window's own painting first
    HDC dc = GetDC(window_);
    PatBlt(dc, 0, 0, 700, 300, WHITENESS);
    SelectObject(dc, GetStockObject(NULL_BRUSH));
    int y = 10;
    for (const auto &sample : {std::make_pair("Arial", "Ortelan control points"),
                               std::make_pair("Times New Roman", "Bold residuals report"),
                               std::make_pair("Courier New", "Italic underlined 0123")}) {
        long width = 0, height = 0;
        ASSERT_EQ(GetTextWidth(window_, sample.first, 18, 7, sample.second, &width, &height), 1);
        HFONT font = CreateFontIndirectA(&g_record);
        HGDIOBJ previous = SelectObject(dc, font);
        TextOutA(dc, 10, y, sample.second, static_cast<int>(strlen(sample.second)));
        DeleteObject(SelectObject(dc, previous));
        Rectangle(dc, 10, y, 10 + MulDiv(width, 96, 72), y + MulDiv(height, 96, 72));
        y += MulDiv(height, 96, 72) + 16;
    }
    ReleaseDC(window_, dc);
    EXPECT_TRUE(SaveScreenshot(window_, "text-width-boxes"));
}

} // namespace
