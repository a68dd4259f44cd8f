// The two file-system calls of the control points reader that differ between
// platforms: the Windows library uses FindFirstFileA and the runtime's fopen,
// native programs stat and fopen.
#ifndef ORTK232_TRANSFORM_PLATFORM_FILES_H
#define ORTK232_TRANSFORM_PLATFORM_FILES_H

#include <cstdio>

// True when the path names a file-system entry (a file or a directory).
bool ControlPointsPathExists(const char *path);

// Opens the path for reading in binary mode; null when it cannot be read as
// a file (a directory cannot).
std::FILE *OpenControlPointsFile(const char *path);

#endif
