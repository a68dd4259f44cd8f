#include "tests/frame/file_bytes.h"

#include <fstream>
#include <iterator>

std::string FileBytes(const std::string &path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return "<missing>";
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
