#include "frame/afx.h"

namespace {

AFX_MODULE_STATE g_hostState = {nullptr, nullptr};
AFX_MODULE_STATE g_libraryState = {nullptr, nullptr};
thread_local AFX_MODULE_STATE *t_currentState = nullptr;
CWinApp *g_app = nullptr;

} // namespace

AFX_MODULE_STATE *AfxGetModuleState() {
    return t_currentState != nullptr ? t_currentState : &g_hostState;
}

AFX_MODULE_STATE *AfxGetStaticModuleState() {
    return &g_libraryState;
}

HINSTANCE AfxGetResourceHandle() {
    return AfxGetModuleState()->m_hCurrentResourceHandle;
}

AFX_MAINTAIN_STATE2::AFX_MAINTAIN_STATE2(AFX_MODULE_STATE *state) : previous_(t_currentState) {
    t_currentState = state;
}

AFX_MAINTAIN_STATE2::~AFX_MAINTAIN_STATE2() {
    t_currentState = previous_;
}

CWinApp::CWinApp(const char *appName) : m_pszAppName(appName) {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

CWinApp *AfxGetApp() {
    return g_app;
}

BOOL AfxModuleAttach(HINSTANCE instance) {
    g_libraryState.m_hCurrentInstanceHandle = instance;
    g_libraryState.m_hCurrentResourceHandle = instance;
    AFX_MANAGE_STATE(&g_libraryState);
    CWinApp *app = AfxGetApp();
    return app == nullptr || app->InitInstance();
}

void AfxModuleDetach() {
    AFX_MANAGE_STATE(&g_libraryState);
    if (CWinApp *app = AfxGetApp())
        app->ExitInstance();
}
