// Reading back what a banner box shows: texts, fonts and positions of its
// controls, checked against the tables of each variant; screenshots.
#ifndef ORTK232_TESTS_SPLASH_BANNER_PROBE_H
#define ORTK232_TESTS_SPLASH_BANNER_PROBE_H

#include <windows.h>

#include "tests/frame/captured_messages.h"

#include <string>
#include <vector>

enum class BoxKind { AboutDefault, AboutHalcyra, SplashDefault, SplashHalcyra };

// What the caller passed and what the box should therefore show.
struct BoxExpectation {
    BoxKind kind;
    std::string title;
    std::string organisation;
    std::string userLine;
};

// Texts, fonts, positions, visibility and the banner picture of every
// control of the box, against the variant's table.
void CheckBannerBox(HWND dialog, const BoxExpectation &expected);

// The four distinct fonts that the box's controls carry.
std::vector<HFONT> BoxFonts(HWND dialog);

// A visible dialog window of the given thread, or null.
HWND FindThreadDialog(DWORD threadId);

// All dialog windows of the given thread, visible or not.
int CountThreadDialogs(DWORD threadId);

// Dispatches this thread's messages for the given time, as a host's loop would.
void PumpMessagesFor(DWORD milliseconds);

// A visible top-level window to pass as the host's window.
HWND CreateHostWindow(const char *title, int left, int top);

// Saves the screen area of the window as $ORTK_SCREENSHOTS/<name>.png with
// ImageMagick's import. Does nothing when the variable is not set; returns
// whether the file was written.
bool SaveScreenshot(HWND window, const char *name);

#endif
