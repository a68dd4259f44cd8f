// The path exports through the built DLL and through ortkcall.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(DllPaths, ParsePathSplitsAndSetDirectoryChangesOrFailsWithoutChange) {
    using ParsePathFn = void(__cdecl *)(const char *, char *, char *, char *, char *);
    char drive[260] = "-", dir[260] = "-", name[260] = "-", ext[260] = "-";
    LibraryExport<ParsePathFn>("ParsePath")("\\\\server\\share\\data\\roads.tab", drive, dir, name,
                                            ext);
    EXPECT_EQ(std::string(drive) + "|" + dir + "|" + name + "|" + ext,
              "\\\\server\\share|\\data\\|roads|.tab");

    auto setDirectory = LibraryExport<long(__cdecl *)(const char *)>(kSetDirectoryName);
    ASSERT_NE(setDirectory, nullptr);
    char saved[MAX_PATH], current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, saved);
    EXPECT_EQ(setDirectory("C:\\windows\\system32"), 0);
    EXPECT_EQ(setDirectory(".."), 0);
    EXPECT_EQ(setDirectory("C:\\no such folder"), -1);
    EXPECT_EQ(setDirectory(""), -1);
    EXPECT_EQ(setDirectory(nullptr), -1);
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_STRCASEEQ(current, "C:\\windows");
    EXPECT_EQ(setDirectory(saved), 0);
}

TEST(OrtkcallPaths, PrintsEveryOutputAndTheDirectoryAfterTheCall) {
    EXPECT_EQ(RunOrtkcall("parsepath \\\\server"),
              "drive=<unset>\ndir=<unset>\nname=<unset>\next=<unset>\n");
    EXPECT_EQ(RunOrtkcall("parsepath archive.tar.gz"), "drive=\ndir=\nname=archive.tar\next=.gz\n");
    EXPECT_EQ(RunOrtkcall("setdirectory C:\\windows"), "result=0\ncurrent=C:\\windows\n");
    EXPECT_EQ(RunOrtkcall("setdirectory C:\\missing").substr(0, 10), "result=-1\n");
}

} // namespace
