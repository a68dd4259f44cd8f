// GetTextWidth on the test display: the font record it asks for (captured
// through the font factory) and real text measured in a real window.
#include <gtest/gtest.h>

#include <cstring>
#include <regex>
#include <string>

#include "ortk232.h"
#include "util/text_width.h"

namespace {

// The record of the last font asked for, the calls; the face "No font" cannot
// be made. (The soak checks that the fonts made are deleted.)
LOGFONTA g_record;
int g_calls;

HFONT WINAPI CaptureFont(const LOGFONTA *requested) {
    g_record = *requested;
    ++g_calls;
    return std::strcmp(requested->lfFaceName, "No font") ? CreateFontIndirectA(requested) : nullptr;
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

TEST(TextWidth, AsksForTheFontOfThatSizeStyleAndFace) {
    // Cell height and average width both the size in pixels (rounded as
    // MulDiv rounds), weight, italic, underline and strike-out for style bits
    // 1 bold, 2 italic, 4 underline (the others ignored), the default
    // character set, the face name cut to 31 characters.
    const std::string longFace(5000, 'G');
    const struct {
        long points, style;
        const char *face, *record;
    } cases[] = {
        {12, 5, "Arial", "16 16 700 010 1 Arial"},
        {12, 0x7FFFFFFA, "Arial", "16 16 400 100 1 Arial"},
        {1, -1, "Arial", "1 1 700 110 1 Arial"},
        {11, 0, longFace.c_str(), "15 15 400 000 1 GGGGGGGGGGGGGGGGGGGGGGGGGGGGGGG"},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(Measure(c.face, c.points, c.style, "Sample").substr(0, 2), "1 ");
        char record[64];
        snprintf(record, sizeof record, "%ld %ld %ld %d%d%d %d %s", g_record.lfHeight,
                 g_record.lfWidth, g_record.lfWeight, g_record.lfItalic, g_record.lfUnderline,
                 g_record.lfStrikeOut, g_record.lfCharSet, g_record.lfFaceName);
        EXPECT_EQ(record, std::string(c.record)) << c.points << " points, style " << c.style;
    }
}

// Each text measured by the export and here, in the font it asked for at the
// display's 96 pixels an inch.
TEST(TextWidth, MeasuresRealTextInPointsOnTheWindowOrTheScreen) {
    // Arial's cell is the size asked for: a line of 12 points is 12 points
    // high. Wine draws Arial with Liberation Sans; its fallback for a font it
    // lacks has other metrics.
    ASSERT_TRUE(std::regex_match(Measure("Arial", 12, 0, "Ortelan"), std::regex("1 \\d+ 12")))
        << "Arial is drawn with another font: install the Debian package fonts-liberation "
           "(scripts/install-deps.sh does)";
    EXPECT_EQ(Measure("Arial", 12, 0, "").substr(0, 4), "1 0 ");
    EXPECT_EQ(Measure("Arial", 16, 3, "Tessaro", nullptr), Measure("Arial", 16, 3, "Tessaro"));
    HDC dc = GetDC(Window());
    ASSERT_EQ(GetDeviceCaps(dc, LOGPIXELSY), 96);
    for (const char *face : {"Arial", "Times New Roman", "Courier New"}) {
        const std::string text = std::string(face) + " bold italic underlined";
        long width = 0, height = 0;
        ASSERT_EQ(GetTextWidth(Window(), face, 14, 7, text.c_str(), &width, &height), 1);
        HGDIOBJ previous = SelectObject(dc, CreateFontIndirectA(&g_record));
        SIZE extent = {};
        GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
        DeleteObject(SelectObject(dc, previous));
        EXPECT_TRUE(width == MulDiv(extent.cx, 3, 4) && height == MulDiv(extent.cy, 3, 4))
            << face << ": " << width << " " << height;
    }
    ReleaseDC(Window(), dc);
}

BOOL WINAPI HighBytesLead(BYTE byte) {
    return byte >= 0x81;
}

// Under a double-byte code page a name is cut before a character that would
// not fit whole; a lead byte without its second byte is a character of its own.
TEST(TextWidth, CutsAFaceNameOnlyBetweenCharacters) {
    const std::string a29(29, 'a');
    for (const auto &[face, kept] :
         {std::make_pair(a29 + "a\x81\x40", 30), {a29 + "\x81\x40", 31}, {a29 + "a\x81", 31}}) {
        char field[LF_FACESIZE];
        CopyFaceName(face.c_str(), field, HighBytesLead);
        EXPECT_EQ(field, face.substr(0, kept));
    }
}

// Only the font that cannot be made is asked for.
TEST(TextWidth, FailuresGiveZeroAndZeroOutputs) {
    g_calls = 0;
    EXPECT_EQ(Measure("Arial", 12, 0, "Hello", reinterpret_cast<HWND>(0x7654321)) +
                  Measure(nullptr, 12, 0, "Hello") + Measure("Arial", 12, 0, nullptr) +
                  Measure("No font", 12, 0, "Hello"),
              "0 0 00 0 00 0 00 0 0");
    long width = 77, height = 77;
    EXPECT_EQ(GetTextWidth(Window(), "Arial", 12, 0, "Hello", &width, nullptr) +
                  GetTextWidth(Window(), "Arial", 12, 0, "Hello", nullptr, &height),
              0);
    EXPECT_EQ(std::to_string(width) + std::to_string(height) + std::to_string(g_calls), "001");
}

} // namespace
