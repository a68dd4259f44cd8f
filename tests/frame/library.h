// The built ortk232.dll, loaded once for the DLL tests, and ortkcall runs.
#ifndef ORTK232_TESTS_FRAME_LIBRARY_H
#define ORTK232_TESTS_FRAME_LIBRARY_H

#include <windows.h>

#include <string>

HMODULE Library();

template <class Function> Function LibraryExport(const char *name) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(GetProcAddress(Library(), name)));
}

// SetDirectory's export name as a host built for this processor decorates
// long SetDirectory(const char*); the other processor's name must be absent.
#if defined(_WIN64)
constexpr const char *kSetDirectoryName = "?SetDirectory@@YAJPEBD@Z";
constexpr const char *kOtherSetDirectoryName = "?SetDirectory@@YAJPBD@Z";
#else
constexpr const char *kSetDirectoryName = "?SetDirectory@@YAJPBD@Z";
constexpr const char *kOtherSetDirectoryName = "?SetDirectory@@YAJPEBD@Z";
#endif

// Runs ortkcall.exe from the build folder with the given arguments (each one
// quoted) and returns what it printed on standard output.
std::string RunOrtkcall(const std::string &arguments, int *exitCode = nullptr);

#endif
