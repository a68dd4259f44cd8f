// Display helpers of the GUI tests: host windows, a message pump, dialogs of
// a thread and screenshots.
#ifndef ORTK232_TESTS_SPLASH_BANNER_PROBE_H
#define ORTK232_TESTS_SPLASH_BANNER_PROBE_H

#include <windows.h>

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
