// Splitting of paths into drive, directory, name and extension, including
// network paths. Portable: no platform calls.
#ifndef ORTK232_UTIL_PATH_SPLIT_H
#define ORTK232_UTIL_PATH_SPLIT_H

#include <cstddef>

// Each part of a split is cut to this many characters, so 256-byte buffers
// always suffice for directory, name and extension.
constexpr std::size_t kPathPartLimit = 255;
constexpr std::size_t kDriveLimit = 2;

// Splits an ordinary path: "C:" drive, directory up to the last slash or
// backslash, name, and extension from the last period after the directory.
// drive needs 3 bytes; dir, name and ext 256 bytes each.
void SplitPath(const char *path, char *drive, char *dir, char *name, char *ext);

// Splits like SplitPath, but a path that starts with two slashes or
// backslashes in any mix is a network path: drive receives the server and
// share prefix up to the second backslash after them (so drive must hold the
// whole path), and the rest is split. When no backslash follows the leading
// pair, nothing is written.
void ParseAnyPath(const char *path, char *drive, char *dir, char *name, char *ext);

#endif
