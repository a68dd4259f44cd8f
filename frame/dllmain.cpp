#include "frame/afx.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH: DisableThreadLibraryCalls(instance); return AfxModuleAttach(instance);
    case DLL_PROCESS_DETACH: AfxModuleDetach(); break;
    default: break;
    }
    return TRUE;
}
