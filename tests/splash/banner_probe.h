// Reading back what a banner box shows, and the display helpers of the GUI
// tests: host windows, a message pump and screenshots.
#ifndef ORTK232_TESTS_SPLASH_BANNER_PROBE_H
#define ORTK232_TESTS_SPLASH_BANNER_PROBE_H

#include <windows.h>

#include <string>
#include <vector>

// What the caller passed and what the box should therefore show.
struct BoxExpectation {
    bool about;
    bool halcyra;
    std::string title;
    std::string organisation;
    std::string userLine;
};

// Frame and place of the box, then text, font and visibility of every
// control and the banner picture, from one table.
void CheckBannerBox(HWND dialog, const BoxExpectation &expected);

// The distinct fonts of the box's own that its controls carry.
std::vector<HFONT> BoxFonts(HWND dialog);

// A visible dialog window of the given thread, or null.
HWND FindThreadDialog(DWORD threadId);

// Dispatches this thread's messages for the given time, as a host's loop would.
void PumpMessagesFor(DWORD milliseconds);

// A visible top-level window to pass as the host's window.
HWND CreateHostWindow(const char *title, int left, int top);

// Saves the screen area of the window as $ORTK_SCREENSHOTS/<name>.png with
// ImageMagick's import; true when the variable is not set.
bool SaveScreenshot(HWND window, const char *name);

#endif
