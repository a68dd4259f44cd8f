// Display helpers of the GUI tests: host windows, a message pump, a user for
// modal boxes and screenshots.
#ifndef ORTK232_TESTS_SPLASH_BANNER_PROBE_H
#define ORTK232_TESTS_SPLASH_BANNER_PROBE_H

#include <windows.h>

#include <functional>

// Dispatches this thread's messages for the given time, as a host's loop would.
void PumpMessagesFor(DWORD milliseconds);

// A visible top-level window to pass as the host's window.
HWND CreateHostWindow(const char *title, int left, int top);

// Calls show, which runs a modal box on this thread; once the box is on the
// screen, user acts on it from within the box's own message loop, and then
// the box gets the command ending (a box that user left open ends with it).
void WhileShown(const std::function<void()> &show, const std::function<void(HWND)> &user,
                int ending = IDCANCEL);

// Saves the screen area of the window as $ORTK_SCREENSHOTS/<name>.png with
// ImageMagick's import; true when the variable is not set.
bool SaveScreenshot(HWND window, const char *name);

#endif
