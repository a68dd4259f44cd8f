// The library's application object and the two library-wide handles.
#ifndef ORTK232_FRAME_APP_H
#define ORTK232_FRAME_APP_H

#include "frame/afx.h"

class Cortk232App : public CWinApp {
  public:
    Cortk232App();
    ~Cortk232App() override;
    BOOL InitInstance() override;
};

// Instance handle of this library: every string, dialog, icon and bitmap of
// the library is loaded through it. Set once at load.
extern HINSTANCE g_moduleInstance;

// Window that owns the library's message boxes. Set by the exports that take
// the host's window first; never cleared.
extern HWND g_ownerWindow;

#endif
