#include "tests/frame/library.h"

#include <memory>
#include <type_traits>

HMODULE Library() {
    static HMODULE library = LoadLibraryA("ortk232.dll");
    return library;
}

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using Handle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

// ortkcall.exe beside the running test program, so that no shell and no
// search path stands between the test and the program it means.
std::string OrtkcallPath() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path, length);
    folder.erase(folder.find_last_of('\\') + 1);
    return folder + "ortkcall.exe";
}

} // namespace

std::string RunOrtkcall(const std::string &arguments, int *exitCode) {
    if (exitCode != nullptr)
        *exitCode = -1;
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0))
        return {};
    Handle reader(readEnd), writer(writeEnd);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    Handle nul(
        CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));

    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul.get();
    startup.hStdOutput = writeEnd;
    startup.hStdError = nul.get();
    std::string commandLine = "\"" + OrtkcallPath() + "\" " + arguments;
    PROCESS_INFORMATION process{};
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &process))
        return {};
    Handle processHandle(process.hProcess), thread(process.hThread);
    writer.reset();

    std::string text;
    char buffer[4096];
    DWORD count = 0;
    while (ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count > 0)
        for (DWORD i = 0; i < count; ++i)
            if (buffer[i] != '\r')
                text += buffer[i];
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    if (exitCode != nullptr && GetExitCodeProcess(process.hProcess, &status))
        *exitCode = static_cast<int>(status);
    return text;
}
