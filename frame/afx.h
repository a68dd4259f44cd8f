// A small stand-in for the parts of the application framework that the
// library relies on: one application object per module, a module state that
// says whose resources are current on a thread, and a scope guard that makes
// the library's own state current for the length of an export call.
#ifndef ORTK232_FRAME_AFX_H
#define ORTK232_FRAME_AFX_H

#include <windows.h>

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle;
    HINSTANCE m_hCurrentResourceHandle;
};

// The module state current on the calling thread: the host's until an export
// switches to the library's own.
AFX_MODULE_STATE *AfxGetModuleState();

// The library's own module state.
AFX_MODULE_STATE *AfxGetStaticModuleState();

// Handle that resources are loaded from under the current module state.
HINSTANCE AfxGetResourceHandle();

// Makes a module state current on the calling thread and puts the previous one
// back when it goes out of scope, however the scope is left.
class AFX_MAINTAIN_STATE2 {
  public:
    explicit AFX_MAINTAIN_STATE2(AFX_MODULE_STATE *state);
    ~AFX_MAINTAIN_STATE2();
    AFX_MAINTAIN_STATE2(const AFX_MAINTAIN_STATE2 &) = delete;
    AFX_MAINTAIN_STATE2 &operator=(const AFX_MAINTAIN_STATE2 &) = delete;

  private:
    AFX_MODULE_STATE *previous_;
};

#define AFX_MANAGE_STATE(state) AFX_MAINTAIN_STATE2 afxManageState_(state)

class CWinApp {
  public:
    explicit CWinApp(const char *appName = nullptr);
    virtual ~CWinApp();
    CWinApp(const CWinApp &) = delete;
    CWinApp &operator=(const CWinApp &) = delete;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    const char *m_pszAppName;
};

CWinApp *AfxGetApp();

// Entry and exit of the module, called from the library's DllMain (and by the
// test programs that link the library's code statically).
BOOL AfxModuleAttach(HINSTANCE instance);
void AfxModuleDetach();

#endif
