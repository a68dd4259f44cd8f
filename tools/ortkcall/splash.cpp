// ortkcall sub-commands for the splash screen and the About box.
#include "tools/ortkcall/ortkcall.h"

#include <cstdio>

namespace {

using BannerFn = long(__cdecl *)(HWND, const char *, const char *, const char *, const char *,
                                 const char *);
using RemoveSplashFn = long(__cdecl *)();

// Long enough for the splash timer to fire and close the box.
constexpr DWORD kDefaultPumpMilliseconds = 3500;

BOOL CALLBACK FindDialog(HWND window, LPARAM found) {
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpA(name, "#32770") == 0) {
        *reinterpret_cast<bool *>(found) = true;
        return FALSE;
    }
    return TRUE;
}

bool SplashIsOpen() {
    bool found = false;
    EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

int RunShowSplashScreen(int argc, char **argv) {
    const DWORD pump = argc > 5 ? static_cast<DWORD>(ParseLong(argv[5])) : kDefaultPumpMilliseconds;
    const long result = Export<BannerFn>("ShowSplashScreen")(HostWindow(), argv[0], argv[1],
                                                             argv[2], argv[3], argv[4]);
    PrintLong("result", result);
    std::fflush(stdout);
    PumpMessages(pump);
    PrintLong("open", SplashIsOpen() ? 1 : 0);
    return 0;
}

int RunRemoveSplashScreen(int, char **) {
    PrintLong("result", Export<RemoveSplashFn>("RemoveSplashScreen")());
    return 0;
}

int RunAboutOrtelan(int, char **argv) {
    PrintLong("result", Export<BannerFn>("AboutOrtelan")(HostWindow(), argv[0], argv[1], argv[2],
                                                         argv[3], argv[4]));
    return 0;
}

const CommandRegistrar showSplashScreen(
    {"showsplashscreen", "<product> <version> <fourth> <user> <organisation> [pumpMilliseconds]", 5,
     6, RunShowSplashScreen});
const CommandRegistrar removeSplashScreen({"removesplashscreen", "", 0, 0, RunRemoveSplashScreen});
const CommandRegistrar aboutOrtelan({"aboutortelan",
                                     "<product> <version> <fourth> <user> <organisation>", 5, 5,
                                     RunAboutOrtelan});

} // namespace
