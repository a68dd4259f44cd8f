// ParsePath and SetDirectory.
#include <direct.h>
#include <windows.h>

#include "frame/export_guard.h"
#include "util/path_split.h"

extern "C" void __cdecl ParsePath(const char *path, char *drive, char *dir, char *name, char *ext) {
    RunVoidExport([&] {
        if (path == nullptr || drive == nullptr || dir == nullptr || name == nullptr ||
            ext == nullptr)
            return;
        ParseAnyPath(path, drive, dir, name, ext);
    });
}

// Exported under the decorated name of long SetDirectory(const char*), which
// is what the host's declaration binds to (see the module definition file).
extern "C" long __cdecl SetDirectoryImpl(const char *path) {
    return RunExport(-1L, [&]() -> long {
        if (path == nullptr)
            return -1;
        return _chdir(path) == 0 ? 0 : -1;
    });
}
