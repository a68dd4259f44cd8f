// ortkcall sub-commands for the path exports.
#include "tools/ortkcall/ortkcall.h"

#include <cstring>

namespace {

using ParsePathFn = void(__cdecl *)(const char *, char *, char *, char *, char *);
using SetDirectoryFn = long(__cdecl *)(const char *);

int RunParsePath(int, char **argv) {
    const char *path = argv[0];
    // drive receives a network path's whole prefix: size it from the input.
    const size_t driveSize = std::strlen(path) + 16;
    char *drive = new char[driveSize];
    char dir[256], name[256], ext[256];
    std::strcpy(drive, "<unset>");
    std::strcpy(dir, "<unset>");
    std::strcpy(name, "<unset>");
    std::strcpy(ext, "<unset>");
    Export<ParsePathFn>("ParsePath")(path, drive, dir, name, ext);
    PrintText("drive", drive);
    PrintText("dir", dir);
    PrintText("name", name);
    PrintText("ext", ext);
    delete[] drive;
    return 0;
}

int RunSetDirectory(int, char **argv) {
    const long result = Export<SetDirectoryFn>(
#if defined(_WIN64)
        "?SetDirectory@@YAJPEBD@Z"
#else
        "?SetDirectory@@YAJPBD@Z"
#endif
        )(argv[0]);
    PrintLong("result", result);
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    PrintText("current", current);
    return 0;
}

const CommandRegistrar parsePath({"parsepath", "<path>", 1, 1, RunParsePath});
const CommandRegistrar setDirectory({"setdirectory", "<path>", 1, 1, RunSetDirectory});

} // namespace
