// Reads a file as the tests compare it: every byte, line ends included.
#ifndef ORTK232_TESTS_FRAME_FILE_BYTES_H
#define ORTK232_TESTS_FRAME_FILE_BYTES_H

#include <string>

// The whole file in binary mode, or "<missing>" when it cannot be opened, so
// that a missing file and an empty one can be told apart.
std::string FileBytes(const std::string &path);

#endif
