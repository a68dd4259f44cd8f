// IsOrt3DInstalled: whether the Ortelan 3D companion product's program file,
// as its installer recorded it in the machine-wide registry, can be read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "frame/handles.h"

namespace {

const char kOrt3DKey[] = "Software\\Veltrane\\Ortelan 3D";
const char kProgramPathValue[] = "ProgramPath";

long CheckOrt3DInstalled() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kOrt3DKey, 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return 0;
    const ScopedRegKey key(opened);

    DWORD size = 0;
    if (RegQueryValueExA(key.get(), kProgramPathValue, nullptr, nullptr, nullptr, &size) !=
            ERROR_SUCCESS ||
        size == MAXDWORD)
        return 0;
    // One byte more than stored, for a terminating zero that the data may lack.
    const ScopedMalloc<char> path(static_cast<char *>(std::malloc(size_t{size} + 1)));
    if (!path)
        return 0;
    // The value may have changed since the first query; the second reports
    // the size it really wrote.
    if (RegQueryValueExA(key.get(), kProgramPathValue, nullptr, nullptr,
                         reinterpret_cast<BYTE *>(path.get()), &size) != ERROR_SUCCESS)
        return 0;
    path.get()[size] = '\0';

    const ScopedFile program(std::fopen(path.get(), "r"));
    return program ? 1 : 0;
}

} // namespace

// The only export that loads no resource: it does not switch module state,
// but it still lets nothing escape to the host.
extern "C" long __cdecl IsOrt3DInstalled() {
    try {
        return CheckOrt3DInstalled();
    } catch (...) {
        return 0;
    }
}
