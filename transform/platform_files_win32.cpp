#include "transform/platform_files.h"

#include <windows.h>

#include "frame/handles.h"

bool ControlPointsPathExists(const char *path) {
    WIN32_FIND_DATAA found;
    ScopedFindHandle search(FindFirstFileA(path, &found));
    return static_cast<bool>(search);
}

std::FILE *OpenControlPointsFile(const char *path) {
    return std::fopen(path, "rb");
}
