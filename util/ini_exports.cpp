// DeleteINIFileSection and DeleteINIFileKey: removal of a section or a key of
// a caller's INI file through the private profile service.
#include <windows.h>

#include "frame/export_guard.h"

namespace {

// A null or empty file name would make the profile service fall back to
// win.ini or to a file in the Windows folder: refuse it instead.
bool IsUsableFileName(const char *file) {
    return file != nullptr && file[0] != '\0';
}

} // namespace

extern "C" long __cdecl DeleteINIFileSection(const char *section, const char *file) {
    return RunExport(0L, [&]() -> long {
        if (section == nullptr || !IsUsableFileName(file))
            return 0;
        return WritePrivateProfileStringA(section, nullptr, nullptr, file) ? 1 : 0;
    });
}

extern "C" long __cdecl DeleteINIFileKey(const char *section, const char *key, const char *file) {
    return RunExport(0L, [&]() -> long {
        // A null key would remove the whole section.
        if (section == nullptr || key == nullptr || !IsUsableFileName(file))
            return 0;
        return WritePrivateProfileStringA(section, key, nullptr, file) ? 1 : 0;
    });
}
