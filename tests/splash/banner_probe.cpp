#include "tests/splash/banner_probe.h"

#include <cstdio>
#include <cstdlib>
#include <string>

void PumpMessagesFor(DWORD milliseconds) {
    for (const DWORD start = GetTickCount(); GetTickCount() - start < milliseconds;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

HWND CreateHostWindow(const char *title, int left, int top) {
    HWND window = CreateWindowA("STATIC", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, left, top, 240,
                                120, nullptr, nullptr, nullptr, nullptr);
    PumpMessagesFor(50);
    return window;
}

namespace {

std::function<void(HWND)> g_user;
int g_ending;

// A thread timer: the modal loop of the box dispatches it.
void CALLBACK PlayUser(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr)
        if (GetWindowThreadProcessId(box, nullptr) == GetCurrentThreadId() && IsWindowVisible(box))
            break;
    if (box == nullptr)
        return;
    KillTimer(nullptr, timer);
    g_user(box);
    PostMessageA(box, WM_COMMAND, g_ending, 0);
}

} // namespace

void WhileShown(const std::function<void()> &show, const std::function<void(HWND)> &user,
                int ending) {
    g_user = user;
    g_ending = ending;
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, PlayUser);
    show();
    KillTimer(nullptr, timer); // when no box came up
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
    if (WinExec(command, SW_HIDE) <= 31)
        return false;
    for (int i = 0; i < 100; ++i, PumpMessagesFor(50))
        if (GetFileAttributesA(("Z:" + target).c_str()) != INVALID_FILE_ATTRIBUTES)
            return true;
    return false;
}
