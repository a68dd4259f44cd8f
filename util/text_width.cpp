#include "util/text_width.h"

#include <climits>
#include <cstring>

#include "frame/export_guard.h"
#include "frame/handles.h"

namespace {

constexpr long kStyleBold = 0x1;
constexpr long kStyleItalic = 0x2;
constexpr long kStyleUnderline = 0x4;
constexpr int kPointsPerInch = 72;

TextFontFactory g_fontFactory = CreateFontIndirectA;

// The record asks for a character cell height (positive) and an average
// character width both as large as the point size in the DC's pixels, so the
// extent follows the point size in both directions.
LOGFONTA MakeTextFont(const char *face, long pointSize, long style, int pixelsX, int pixelsY) {
    LOGFONTA font = {};
    font.lfHeight = MulDiv(pointSize, pixelsY, kPointsPerInch);
    font.lfWidth = MulDiv(pointSize, pixelsX, kPointsPerInch);
    font.lfWeight = (style & kStyleBold) != 0 ? FW_BOLD : FW_NORMAL;
    font.lfItalic = (style & kStyleItalic) != 0 ? 1 : 0;
    font.lfUnderline = (style & kStyleUnderline) != 0 ? 1 : 0;
    font.lfCharSet = DEFAULT_CHARSET;
    CopyFaceName(face, font.lfFaceName);
    return font;
}

long MeasureText(HWND window, const char *face, long pointSize, long style, const char *text,
                 long *width, long *height) {
    const std::size_t length = std::strlen(text);
    if (length > static_cast<std::size_t>(INT_MAX))
        return 0;

    const ScopedGetDC dc(window);
    if (!dc)
        return 0;
    const int pixelsX = GetDeviceCaps(dc.get(), LOGPIXELSX);
    const int pixelsY = GetDeviceCaps(dc.get(), LOGPIXELSY);
    const LOGFONTA record = MakeTextFont(face, pointSize, style, pixelsX, pixelsY);
    const ScopedFont font(g_fontFactory(&record));
    if (!font)
        return 0;
    const ScopedSelectObject selected(dc.get(), font.get());

    SIZE extent;
    if (!GetTextExtentPoint32A(dc.get(), text, static_cast<int>(length), &extent))
        return 0;
    *width = MulDiv(extent.cx, kPointsPerInch, pixelsX);
    *height = MulDiv(extent.cy, kPointsPerInch, pixelsY);
    return 1;
}

} // namespace

TextFontFactory SetTextFontFactory(TextFontFactory factory) {
    const TextFontFactory previous = g_fontFactory;
    g_fontFactory = factory != nullptr ? factory : CreateFontIndirectA;
    return previous;
}

void CopyFaceName(const char *face, char (&field)[LF_FACESIZE], BOOL(WINAPI *isLeadByte)(BYTE)) {
    std::size_t length = 0;
    while (face[length] != '\0') {
        const bool doubleByte =
            isLeadByte(static_cast<BYTE>(face[length])) && face[length + 1] != '\0';
        const std::size_t step = doubleByte ? 2 : 1;
        if (length + step > LF_FACESIZE - 1)
            break;
        length += step;
    }
    std::memcpy(field, face, length);
    field[length] = '\0';
}

extern "C" long __cdecl GetTextWidth(HWND window, const char *faceName, long pointSize, long style,
                                     const char *text, long *width, long *height) {
    return RunExport(0L, [&]() -> long {
        if (width != nullptr)
            *width = 0;
        if (height != nullptr)
            *height = 0;
        if (faceName == nullptr || text == nullptr || width == nullptr || height == nullptr)
            return 0;
        const long result = MeasureText(window, faceName, pointSize, style, text, width, height);
        if (result == 0)
            *width = *height = 0;
        return result;
    });
}
