// CalculateTransformParams: the fitting request of the host's scripts.
#include <windows.h>

#include <clocale>
#include <cstring>
#include <float.h>

#include "frame/app.h"
#include "frame/export_guard.h"
#include "transform/fit_entry.h"
#include "transform/transform_locale.h"

namespace {

constexpr LCID kEnglishUnitedStates = 0x0409;

// Switches to the user's locale so that the report uses the user's number
// format.
void EnterUserLocale() {
    const LCID user = GetUserDefaultLCID();
    char name[400];
    BuildLocaleName(user, name);
    SetThreadLocale(user);
    std::setlocale(LC_ALL, name);
}

// English (United States) conventions are left in force after every report,
// so that later control points files are read with a full stop.
void LeaveUserLocale() {
    SetThreadLocale(kEnglishUnitedStates);
    std::setlocale(LC_ALL, "English_USA.1252");
}

// Masks the floating-point exceptions for the fit, so that a singular system
// gives infinities and NaNs even in a host that unmasked them, and puts the
// host's control word back.
class MaskedFloatingPointExceptions {
  public:
    MaskedFloatingPointExceptions() : saved_(_controlfp(0, 0)) { _controlfp(_MCW_EM, _MCW_EM); }
    ~MaskedFloatingPointExceptions() {
        _clearfp();
        _controlfp(saved_, _MCW_EM);
    }
    MaskedFloatingPointExceptions(const MaskedFloatingPointExceptions &) = delete;
    MaskedFloatingPointExceptions &operator=(const MaskedFloatingPointExceptions &) = delete;

  private:
    unsigned int saved_;
};

} // namespace

char *BuildLocaleName(LCID locale, char *buffer) {
    char part[128];
    std::memset(part, 0, sizeof part);
    GetLocaleInfoA(locale, LOCALE_SENGLANGUAGE, part, 127);
    std::strcpy(buffer, part);

    std::memset(part, 0, sizeof part);
    GetLocaleInfoA(locale, LOCALE_SENGCOUNTRY, part, 127);
    std::strcat(buffer, "_");
    std::strcat(buffer, part);

    std::memset(part, 0, sizeof part);
    if (GetLocaleInfoA(locale, LOCALE_IDEFAULTANSICODEPAGE, part, 127) != 0 ||
        GetLocaleInfoA(locale, LOCALE_IDEFAULTCODEPAGE, part, 127) != 0) {
        std::strcat(buffer, ".");
        std::strcat(buffer, part);
    }
    return buffer;
}

extern "C" long __cdecl CalculateTransformParams(HWND hwndOwner, const char *controlPointsFile,
                                                 long transformType, long *paramCount,
                                                 double *params, const char *residualsFile,
                                                 long showMessages) {
    return RunExport(0L, [&]() -> long {
        const bool show = showMessages == 1;
        g_ownerWindow = hwndOwner;
        // Without places for the coefficients there is nothing to hand back:
        // refused at once, silently.
        if (paramCount == nullptr || params == nullptr)
            return 0;
        MaskedFloatingPointExceptions masked;
        const ReportLocale locale = {EnterUserLocale, LeaveUserLocale};
        // A null control points path is not found (2004); a null report path
        // fits and hands out the coefficients, then fails as a report that
        // cannot be created does: the empty path names no file.
        return RunTransformFit(controlPointsFile, transformType, paramCount, params,
                               residualsFile != nullptr ? residualsFile : "", show, locale,
                               nullptr);
    });
}
