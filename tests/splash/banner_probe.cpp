#include "tests/splash/banner_probe.h"

#include <cstdio>
#include <cstdlib>
#include <string>

HWND FindThreadDialog(DWORD threadId) {
    HWND dialog = nullptr;
    while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr)
        if (GetWindowThreadProcessId(dialog, nullptr) == threadId && IsWindowVisible(dialog))
            return dialog;
    return nullptr;
}

void PumpMessagesFor(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (DWORD elapsed = 0; elapsed < milliseconds; elapsed = GetTickCount() - start) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
    }
}

HWND CreateHostWindow(const char *title, int left, int top) {
    HWND window = CreateWindowA("STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, 240,
                                120, nullptr, nullptr, nullptr, nullptr);
    PumpMessagesFor(50);
    return window;
}

bool SaveScreenshot(HWND window, const char *name) {
    const char *folder = std::getenv("ORTK_SCREENSHOTS");
    if (folder == nullptr || *folder == '\0')
        return true;
    RECT r;
    GetWindowRect(window, &r);
    const std::string target = std::string(folder) + "/" + name + ".png";
    const std::string partial = std::string(folder) + "/." + name + ".partial.png";
    DeleteFileA(("Z:" + target).c_str());
    // import is a program of the host system: Wine starts it but cannot wait
    // for it, so the file appears under its final name only when complete.
    char command[1024];
    std::snprintf(command, sizeof command,
                  "/bin/sh -c \"import -window root -crop %ldx%ld+%ld+%ld +repage '%s' && mv "
                  "'%s' '%s'\"",
                  r.right - r.left, r.bottom - r.top, r.left, r.top, partial.c_str(),
                  partial.c_str(), target.c_str());
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return false;
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    for (int i = 0; i < 100; ++i, PumpMessagesFor(50))
        if (GetFileAttributesA(("Z:" + target).c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
    return false;
}
