// Entry of the native tests: every test writes its files under a folder of
// this run's own, which is removed when the run ends, passed or failed.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string g_folder;

void RemoveFolder() {
    std::error_code ignored;
    if (!g_folder.empty())
        std::filesystem::remove_all(g_folder, ignored);
    g_folder.clear();
}

} // namespace

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    const std::string base = testing::TempDir();
    std::string pattern = base + "ortk_native_XXXXXX";
    if (mkdtemp(&pattern[0]) == nullptr) {
        std::perror(pattern.c_str());
        return 1;
    }
    g_folder = pattern;
    // testing::TempDir() reads this on every call.
    setenv("TEST_TMPDIR", (g_folder + "/").c_str(), 1);
    std::atexit(RemoveFolder); // also when a test ends the process early
    const int status = RUN_ALL_TESTS();
    RemoveFolder();
    return status;
}
