// A fresh folder under the temporary folder for one test, removed with all
// its contents (read-only ones included) at the end.
#ifndef ORTK232_TESTS_UTIL_SCRATCH_FOLDER_H
#define ORTK232_TESTS_UTIL_SCRATCH_FOLDER_H

#include <windows.h>

#include <string>

class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder &) = delete;
    ScratchFolder &operator=(const ScratchFolder &) = delete;

    const std::string &path() const { return path_; }
    // Full path of name inside the folder.
    std::string Child(const std::string &name) const { return path_ + "\\" + name; }
    // Creates (or replaces) a file with the given contents; returns its path.
    std::string WriteFile(const std::string &name, const std::string &contents) const;

  private:
    std::string path_;
};

#endif
