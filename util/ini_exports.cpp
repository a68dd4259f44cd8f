// DeleteINIFileSection and DeleteINIFileKey: removal of a section or a key of
// a caller's INI file through the private profile service.
#include <windows.h>

#include "frame/export_guard.h"

namespace {

// A null or empty file name would make the profile service fall back to
// win.ini in the Windows folder, a file that the caller never named: such a
// call is refused. The section and key texts are passed on as given, null
// ones included (a null key removes the whole section).
bool IsUsableFileName(const char *file) {
    return file != nullptr && file[0] != '\0';
}

} // namespace

extern "C" long __cdecl DeleteINIFileSection(const char *section, const char *file) {
    return RunExport(0L, [&]() -> long {
        if (!IsUsableFileName(file))
            return 0;
        return WritePrivateProfileStringA(section, nullptr, nullptr, file) ? 1 : 0;
    });
}

extern "C" long __cdecl DeleteINIFileKey(const char *section, const char *key, const char *file) {
    return RunExport(0L, [&]() -> long {
        if (!IsUsableFileName(file))
            return 0;
        return WritePrivateProfileStringA(section, key, nullptr, file) ? 1 : 0;
    });
}
