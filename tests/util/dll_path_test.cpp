// The path exports through the built DLL and through ortkcall, as a script
// program binds them.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using SetDirectoryFn = long(__cdecl *)(const char *);

TEST(DllSetDirectory, ChangesDirectoryAndDriveOrFailsWithoutChange) {
    auto setDirectory = LibraryExport<SetDirectoryFn>(kSetDirectoryName);
    ASSERT_NE(setDirectory, nullptr);
    char saved[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);

    char current[MAX_PATH];
    EXPECT_EQ(setDirectory("C:\\windows\\system32"), 0);
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, "C:\\windows\\system32");
    EXPECT_EQ(setDirectory(".."), 0);
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, "C:\\windows");

    EXPECT_EQ(setDirectory("C:\\no such folder"), -1);
    EXPECT_EQ(setDirectory(""), -1);
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, "C:\\windows");

    EXPECT_EQ(setDirectory(saved), 0);
}

TEST(OrtkcallParsePath, PrintsEveryOutputAndShowsUntouchedOnes) {
    EXPECT_EQ(RunOrtkcall("parsepath \"\\\\server\\share\\data\\roads.tab\""),
              "drive=\\\\server\\share\ndir=\\data\\\nname=roads\next=.tab\n");
    EXPECT_EQ(RunOrtkcall("parsepath \\\\server"),
              "drive=<unset>\ndir=<unset>\nname=<unset>\next=<unset>\n");
    EXPECT_EQ(RunOrtkcall("parsepath archive.tar.gz"), "drive=\ndir=\nname=archive.tar\next=.gz\n");
}

TEST(OrtkcallSetDirectory, PrintsResultAndTheDirectoryAfterTheCall) {
    EXPECT_EQ(RunOrtkcall("setdirectory C:\\windows"), "result=0\ncurrent=C:\\windows\n");
    const std::string failed = RunOrtkcall("setdirectory C:\\missing");
    EXPECT_EQ(failed.substr(0, 10), "result=-1\n");
}

} // namespace
