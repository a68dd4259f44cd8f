#include "frame/app.h"

HINSTANCE g_moduleInstance = nullptr;
HWND g_ownerWindow = nullptr;

namespace {
Cortk232App theApp;
}

Cortk232App::Cortk232App() : CWinApp(nullptr) {}

Cortk232App::~Cortk232App() = default;

BOOL Cortk232App::InitInstance() {
    CWinApp::InitInstance();
    g_moduleInstance = AfxGetModuleState()->m_hCurrentInstanceHandle;
    return TRUE;
}
