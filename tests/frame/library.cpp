#include "tests/frame/library.h"

#include <cstdio>

HMODULE Library() {
    static HMODULE library = LoadLibraryA("ortk232.dll");
    return library;
}

std::string RunOrtkcall(const std::string &arguments, int *exitCode) {
    const std::string command = "ortkcall.exe " + arguments + " 2>NUL";
    std::string output;
    FILE *pipe = _popen(command.c_str(), "rb");
    if (pipe == nullptr)
        return output;
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, count);
    const int status = _pclose(pipe);
    if (exitCode != nullptr)
        *exitCode = status;
    std::string text;
    for (char c : output)
        if (c != '\r')
            text += c;
    return text;
}
