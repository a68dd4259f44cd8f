#include "tools/ortkcall/ortkcall.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

std::vector<CallCommand> &Commands() {
    static std::vector<CallCommand> commands;
    return commands;
}

HMODULE g_library = nullptr;
HWND g_hostWindow = nullptr;

void PrintUsage() {
    std::fprintf(stderr, "usage: ortkcall [--dll PATH] COMMAND [ARGUMENTS]\ncommands:\n");
    for (const CallCommand &command : Commands())
        std::fprintf(stderr, "  %s %s\n", command.name, command.usage);
}

} // namespace

CommandRegistrar::CommandRegistrar(const CallCommand &command) {
    Commands().push_back(command);
}

FARPROC FindExport(const char *exportedName) {
    FARPROC address = GetProcAddress(g_library, exportedName);
    if (address == nullptr) {
        std::fprintf(stderr, "ortkcall: ortk232.dll has no export %s\n", exportedName);
        std::exit(2);
    }
    return address;
}

HWND HostWindow() {
    if (g_hostWindow == nullptr) {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "ortkcallHost";
        windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        RegisterClassA(&windowClass);
        g_hostWindow = CreateWindowA("ortkcallHost", "ortkcall host", WS_OVERLAPPEDWINDOW, 0, 0,
                                     320, 200, nullptr, nullptr, windowClass.hInstance, nullptr);
    }
    return g_hostWindow;
}

void PumpMessages(DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        const DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

long ParseLong(const char *text) {
    return std::strtol(text, nullptr, 0);
}

void PrintLong(const char *name, long value) {
    std::printf("%s=%ld\n", name, value);
}

void PrintDouble(const char *name, double value) {
    std::printf("%s=%.17g\n", name, value);
}

void PrintText(const char *name, const char *value) {
    std::printf("%s=%s\n", name, value);
}

int main(int argc, char **argv) {
    const char *dllPath = "ortk232.dll";
    int first = 1;
    if (argc > 2 && std::strcmp(argv[1], "--dll") == 0) {
        dllPath = argv[2];
        first = 3;
    }
    if (argc <= first) {
        PrintUsage();
        return 2;
    }
    for (const CallCommand &command : Commands()) {
        if (std::strcmp(command.name, argv[first]) != 0)
            continue;
        const int count = argc - first - 1;
        if (count < command.minArgs || count > command.maxArgs) {
            std::fprintf(stderr, "usage: ortkcall %s %s\n", command.name, command.usage);
            return 2;
        }
        g_library = LoadLibraryA(dllPath);
        if (g_library == nullptr) {
            std::fprintf(stderr, "ortkcall: cannot load %s (error %lu)\n", dllPath, GetLastError());
            return 2;
        }
        const int status = command.run(count, argv + first + 1);
        std::fflush(stdout);
        return status;
    }
    std::fprintf(stderr, "ortkcall: unknown command %s\n", argv[first]);
    PrintUsage();
    return 2;
}
