#include "transform/platform_files.h"

#include <sys/stat.h>

bool ControlPointsPathExists(const char *path) {
    struct stat status;
    return stat(path, &status) == 0;
}

std::FILE *OpenControlPointsFile(const char *path) {
    std::FILE *file = std::fopen(path, "rb");
    if (file == nullptr)
        return nullptr;
    // fopen accepts a directory here, unlike the Windows runtime.
    struct stat status;
    if (fstat(fileno(file), &status) != 0 || S_ISDIR(status.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}
