#include "tests/util/scratch_folder.h"

#include <shellapi.h>

#include <cstdio>

namespace {

// Removes the folder with everything in it, read-only files included.
void RemoveTree(const std::string &path) {
    std::string from = path + '\0'; // the list ends with a second NUL
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationA(&operation);
}

} // namespace

ScratchFolder::ScratchFolder() {
    static unsigned counter = 0;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + "ortk-util-" + std::to_string(GetCurrentProcessId()) + "-" +
            std::to_string(++counter);
    RemoveTree(path_);
    CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::string ScratchFolder::WriteFile(const std::string &name, const std::string &contents) const {
    const std::string file = Child(name);
    SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (FILE *out = std::fopen(file.c_str(), "wb")) {
        std::fwrite(contents.data(), 1, contents.size(), out);
        std::fclose(out);
    }
    return file;
}
