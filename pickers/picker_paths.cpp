#include "pickers/picker_paths.h"

#include <cstdio>
#include <cstring>

namespace {

constexpr unsigned kDriveUnknown = 0;
constexpr unsigned kDriveNoRootFolder = 1;
constexpr unsigned kDriveRemovable = 2;
constexpr unsigned kDriveRemote = 4;
constexpr unsigned kDriveCdrom = 5;
constexpr long kTableKind = 4;

// Only the first table entry has a label in the type list; the others are
// kept for the table mode's other formats.
const char *const kTablePatterns[] = {
    "*.tab", "*.dbf",
    "*.txt", "*.wk1;*.wk2;*.wk3;*.wk4",
    "*.xls", "*.bil;*.bmp;*.gif;*.jpg;*.pcx;*.tga;*.tif",
};
const char *const kInterchangePatterns[] = {"*.tvf"};

bool EndsInBackslash(const char *text, std::size_t length) {
    return length > 0 && text[length - 1] == '\\';
}

} // namespace

PickerIcon IconForDriveType(unsigned driveType) {
    switch (driveType) {
    case kDriveRemovable: return kRemovableDriveIcon;
    case kDriveRemote: return kNetworkDriveIcon;
    case kDriveCdrom: return kCdromDriveIcon;
    default: return kFixedDriveIcon;
    }
}

bool IsListedDriveType(unsigned driveType) {
    return driveType != kDriveUnknown && driveType != kDriveNoRootFolder;
}

void FormatDriveText(int drive, char (&text)[4]) {
    std::snprintf(text, sizeof text, "%c:", 96 + drive);
}

void FormatDriveRoot(int drive, PickerPath &root) {
    std::snprintf(root, sizeof root, "%c:\\", 96 + drive);
}

int DriveOfText(const char *text) {
    const int drive = static_cast<unsigned char>(text[0]) - 96;
    return drive >= 1 && drive <= 26 ? drive : 0;
}

bool AppendFolder(PickerPath &path, const char *text) {
    const std::size_t used = std::strlen(path);
    const std::size_t length = std::strlen(text);
    const std::size_t slash = EndsInBackslash(text, length) ? 0 : 1;
    if (used + length + slash >= sizeof path)
        return false;
    std::memcpy(path + used, text, length);
    std::strcpy(path + used + length, slash ? "\\" : "");
    return true;
}

bool ComposeSearchPattern(PickerPath &pattern, const char *folder, const char *piece,
                          std::size_t pieceLength) {
    const std::size_t length = std::strlen(folder);
    const std::size_t slash = EndsInBackslash(folder, length) ? 0 : 1;
    if (length + slash + pieceLength >= sizeof pattern)
        return false;
    std::memcpy(pattern, folder, length);
    pattern[length] = '\\';
    std::memcpy(pattern + length + slash, piece, pieceLength);
    pattern[length + slash + pieceLength] = '\0';
    return true;
}

int ForEachSearchPattern(const char *folder, const char *patterns,
                         void (*visit)(const char *pattern, void *context), void *context) {
    int visited = 0;
    for (const char *rest = patterns;;) {
        const char *end = std::strchr(rest, ';');
        const std::size_t length =
            end != nullptr ? static_cast<std::size_t>(end - rest) : std::strlen(rest);
        PickerPath pattern;
        if (ComposeSearchPattern(pattern, folder, rest, length)) {
            visit(pattern, context);
            ++visited;
        }
        if (end == nullptr)
            return visited;
        rest = end + 1;
    }
}

bool ComposePickedPath(PickerPath &path, const char *folder, const char *name) {
    path[0] = '\0';
    const std::size_t folderLength = std::strlen(folder);
    const std::size_t nameLength = std::strlen(name);
    if (folderLength + nameLength >= sizeof path)
        return false;
    std::memcpy(path, folder, folderLength);
    std::memcpy(path + folderLength, name, nameLength + 1);
    return true;
}

void ComposePathLine(char *line, std::size_t size, const char *fullPath, long capacity,
                     const char *driveText, const char *openedName) {
    if (capacity >= static_cast<long>(std::strlen(fullPath)))
        std::snprintf(line, size, "%s", fullPath);
    else
        std::snprintf(line, size, "%s\\...\\%s", driveText, openedName);
}

long CopyPickedDirectory(char *directory, long size, const char *selected) {
    const long length = static_cast<long>(std::strlen(selected));
    const long stored = size < 0 ? 0 : size < length ? size : length;
    std::memcpy(directory, selected, static_cast<std::size_t>(stored));
    directory[stored] = '\0';
    return length;
}

bool IsListedSubfolder(unsigned long attributes, const char *name) {
    const unsigned long kDirectoryAttribute = 0x10;
    return (attributes & kDirectoryAttribute) != 0 && std::strcmp(name, ".") != 0 &&
           std::strcmp(name, "..") != 0;
}

DriveItemLayout LayOutDriveItem(int itemTop, int itemBottom, int textHeight, int baseUnitX) {
    const int unit = baseUnitX / 4;
    const int centredTop = (itemTop + itemBottom - textHeight) / 2;
    return {5 * unit + kPickerIconSize, centredTop - 1, unit + 2, itemTop + 1};
}

unsigned DriveItemHeight(unsigned requested) {
    return requested < 18 ? 18 : requested;
}

long TablesResult(long long dialogCode) {
    return dialogCode == -1 ? -1 : dialogCode != 0 ? 1 : 0;
}

const char *const *FilePatternsFor(long kind, int *count) {
    const bool tables = kind == kTableKind;
    *count = tables ? 6 : 1;
    return tables ? kTablePatterns : kInterchangePatterns;
}
