// The built ortk232.dll, loaded once for the DLL tests, and ortkcall runs.
#ifndef ORTK232_TESTS_FRAME_LIBRARY_H
#define ORTK232_TESTS_FRAME_LIBRARY_H

#include <windows.h>

#include <string>

HMODULE Library();

template <class Function> Function LibraryExport(const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(Library(), name)));
}

// Runs ortkcall.exe from the build folder with the given arguments (each one
// quoted) and returns what it printed on standard output.
std::string RunOrtkcall(const std::string &arguments, int *exitCode = nullptr);

#endif
