#include "tests/frame/library.h"

HMODULE Library() {
    static HMODULE library = LoadLibraryA("ortk232.dll");
    return library;
}

std::string RunOrtkcall(const std::string &arguments, int *exitCode) {
    if (exitCode != nullptr)
        *exitCode = -1;
    // ortkcall.exe beside the running test program, started without a shell
    // or a search path between the test and the program it means.
    char path[MAX_PATH];
    std::string commandLine(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    commandLine =
        "\"" + commandLine.substr(0, commandLine.rfind('\\') + 1) + "ortkcall.exe\" " + arguments;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {};
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    HANDLE nul =
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = startup.hStdError = nul;
    startup.hStdOutput = writeEnd;
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
    CloseHandle(writeEnd);
    CloseHandle(nul);
    std::string text;
    char buffer[4096];
    DWORD count = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count > 0)
        for (DWORD i = 0; i < count; ++i)
            if (buffer[i] != '\r')
                text += buffer[i];
    CloseHandle(readEnd);
    DWORD status = 0;
    if (started && WaitForSingleObject(process.hProcess, INFINITE) == WAIT_OBJECT_0 &&
        exitCode != nullptr && GetExitCodeProcess(process.hProcess, &status))
        *exitCode = static_cast<int>(status);
    if (started) {
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    return text;
}
