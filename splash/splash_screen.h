// The modeless splash screen: opened by ShowSplashScreen, closed by its timer
// after three seconds or by RemoveSplashScreen.
#ifndef ORTK232_SPLASH_SPLASH_SCREEN_H
#define ORTK232_SPLASH_SPLASH_SCREEN_H

#include <windows.h>

// How long the splash screen stays up, in milliseconds.
constexpr UINT kSplashMilliseconds = 3000;

// The open splash dialog, or null.
HWND SplashWindow();

// Starts the splash timer: SetTimer unless a test has put its own function in
// place (null restores SetTimer). Returns the function in place before.
using SplashTimerStarter = UINT_PTR(WINAPI *)(HWND, UINT_PTR, UINT, TIMERPROC);
SplashTimerStarter SetSplashTimerStarter(SplashTimerStarter starter);

extern "C" long __cdecl ShowSplashScreen(HWND owner, const char *productName, const char *version,
                                         const char *unused, const char *userName,
                                         const char *organisation);
extern "C" long __cdecl RemoveSplashScreen();

#endif
