// Entry of the native tests: every test writes its files under a folder of
// this run's own, which is removed when the run ends, passed or failed.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

int main(int argc, char **argv) {
    testing::InitGoogleTest(&argc, argv);
    static std::string folder = testing::TempDir() + "ortk_native_XXXXXX";
    if (mkdtemp(&folder[0]) == nullptr) {
        std::perror(folder.c_str());
        return 1;
    }
    // testing::TempDir() reads this on every call.
    setenv("TEST_TMPDIR", (folder + "/").c_str(), 1);
    // Runs when main returns, and also when a test ends the process early.
    std::atexit([] {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    });
    return RUN_ALL_TESTS();
}
