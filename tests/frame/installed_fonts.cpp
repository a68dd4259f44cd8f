#include "tests/frame/installed_fonts.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

struct KnownFace {
    const char *face;
    const char *standIn; // the metric-compatible font a Debian system has
    const char *package;
};

// Wine serves a face it lacks with Liberation Sans when that is installed,
// or else with whatever sans-serif font fontconfig has. Debian's Wine does
// not put its own MS Sans Serif into a prefix, so the dialogs' font is
// Liberation Sans too.
const KnownFace kKnownFaces[] = {
    {"Arial", "Liberation Sans", "fonts-liberation"},
    {"MS Sans Serif", "Liberation Sans", "fonts-liberation"},
};

// The face that text asked for in the given face is drawn with.
std::string ResolvedFace(const char *face) {
    LOGFONTA record = {};
    record.lfHeight = -11; // 8 points, the dialogs' size
    lstrcpynA(record.lfFaceName, face, LF_FACESIZE);
    const HDC dc = CreateCompatibleDC(nullptr);
    const HFONT font = CreateFontIndirectA(&record);
    const HGDIOBJ previous = SelectObject(dc, font);
    char resolved[LF_FACESIZE] = "";
    GetTextFaceA(dc, LF_FACESIZE, resolved);
    SelectObject(dc, previous);
    DeleteObject(font);
    DeleteDC(dc);
    return resolved;
}

} // namespace

testing::AssertionResult FontInstalled(const char *face) {
    for (const KnownFace &known : kKnownFaces) {
        if (std::strcmp(known.face, face) != 0)
            continue;
        const std::string resolved = ResolvedFace(face);
        if (resolved == known.face || resolved == known.standIn)
            return testing::AssertionSuccess();
        return testing::AssertionFailure()
               << "font \"" << face << "\" is not installed: it is drawn with \"" << resolved
               << "\", whose metrics differ. Install the Debian package " << known.package
               << " (scripts/install-deps.sh does).";
    }
    return testing::AssertionFailure() << "no font package is known for \"" << face << "\"";
}
