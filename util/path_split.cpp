#include "util/path_split.h"

#include <cstring>

namespace {

bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

void CopyPart(char *out, const char *begin, const char *end, std::size_t limit) {
    std::size_t length = static_cast<std::size_t>(end - begin);
    if (length > limit)
        length = limit;
    std::memcpy(out, begin, length);
    out[length] = '\0';
}

} // namespace

void SplitPath(const char *path, char *drive, char *dir, char *name, char *ext) {
    const char *rest = path;
    if (path[0] != '\0' && path[1] == ':') {
        CopyPart(drive, path, path + 2, kDriveLimit);
        rest = path + 2;
    } else {
        drive[0] = '\0';
    }

    const char *end = rest + std::strlen(rest);
    const char *afterDir = rest;
    for (const char *p = rest; p != end; ++p)
        if (IsSeparator(*p))
            afterDir = p + 1;
    CopyPart(dir, rest, afterDir, kPathPartLimit);

    const char *period = nullptr;
    for (const char *p = afterDir; p != end; ++p)
        if (*p == '.')
            period = p;
    const char *nameEnd = period != nullptr ? period : end;
    CopyPart(name, afterDir, nameEnd, kPathPartLimit);
    CopyPart(ext, nameEnd, end, kPathPartLimit);
}

void ParseAnyPath(const char *path, char *drive, char *dir, char *name, char *ext) {
    const bool network = path[0] != '\0' && IsSeparator(path[0]) && IsSeparator(path[1]);
    if (!network) {
        SplitPath(path, drive, dir, name, ext);
        return;
    }
    // Only the backslash separates server, share and the rest here.
    const char *first = std::strchr(path + 2, '\\');
    if (first == nullptr)
        return;
    const char *second = std::strchr(first + 1, '\\');
    if (second == nullptr) {
        std::strcpy(drive, path);
        dir[0] = name[0] = ext[0] = '\0';
        return;
    }
    CopyPart(drive, path, second, static_cast<std::size_t>(second - path));
    char discardedDrive[kDriveLimit + 1];
    SplitPath(second, discardedDrive, dir, name, ext);
}
