#include "tests/frame/installed_fonts.h"

#include <windows.h>

#include <string>

testing::AssertionResult FontInstalled(const char *face) {
    // The face that text asked for in the given face (8 points, the dialogs'
    // size) is drawn with.
    LOGFONTA record = {};
    record.lfHeight = -11;
    lstrcpynA(record.lfFaceName, face, LF_FACESIZE);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(dc, CreateFontIndirectA(&record));
    char resolved[LF_FACESIZE] = "";
    GetTextFaceA(dc, LF_FACESIZE, resolved);
    DeleteObject(SelectObject(dc, previous));
    DeleteDC(dc);
    // Wine serves a face it lacks with Liberation Sans when that is
    // installed, or else with whatever sans-serif font fontconfig has.
    // Debian's Wine does not put its own MS Sans Serif into a prefix, so the
    // dialogs' font is Liberation Sans too: a metric-compatible stand-in for
    // both Arial and MS Sans Serif.
    if (resolved == std::string(face) || resolved == std::string("Liberation Sans"))
        return testing::AssertionSuccess();
    return testing::AssertionFailure()
           << "font \"" << face << "\" is not installed: it is drawn with \"" << resolved
           << "\", whose metrics differ. Install the Debian package fonts-liberation"
           << " (scripts/install-deps.sh does).";
}
