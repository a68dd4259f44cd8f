// CheckFileReadOnly and GetAllUserAppDataDir.
#include <windows.h>

#include <shlobj.h>

#include "frame/export_guard.h"

namespace {

constexpr int kCommonAppDataFolder = 0x23;                             // CSIDL_COMMON_APPDATA
constexpr long kLookupInvalidArgument = static_cast<long>(0x80070057); // E_INVALIDARG
constexpr long kLookupFailed = static_cast<long>(0x80004005);          // E_FAIL

} // namespace

extern "C" long __cdecl CheckFileReadOnly(const char *path) {
    return RunExport(-1L, [&]() -> long {
        if (path == nullptr)
            return -1;
        const DWORD attributes = GetFileAttributesA(path);
        if (attributes == INVALID_FILE_ATTRIBUTES)
            return -1;
        return (attributes & FILE_ATTRIBUTE_READONLY) != 0 ? 1 : 0;
    });
}

extern "C" long __cdecl GetAllUserAppDataDir(char *buffer) {
    return RunExport(kLookupFailed, [&]() -> long {
        if (buffer == nullptr)
            return kLookupInvalidArgument;
        // SHGFP_TYPE_CURRENT: the folder's present path, not its default.
        return SHGetFolderPathA(nullptr, kCommonAppDataFolder, nullptr, 0, buffer);
    });
}
