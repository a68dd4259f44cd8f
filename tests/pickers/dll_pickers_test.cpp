// The picker exports as the host binds them from the built DLL.
#include <gtest/gtest.h>

#include "tests/frame/library.h"

namespace {

using SelectDirectoryFn = long(__cdecl *)(HWND, const char *, char *, long);
using SelectMultipleTablesFn = long(__cdecl *)(HWND, long, const char *, long *);

TEST(DllPickers, RefusedArgumentsReturnMinusOneWithoutADialog) {
    auto selectDirectory = LibraryExport<SelectDirectoryFn>("SelectDirectory");
    auto selectTables = LibraryExport<SelectMultipleTablesFn>("SelectMultipleTables");
    ASSERT_NE(selectDirectory, nullptr);
    ASSERT_NE(selectTables, nullptr);
    EXPECT_EQ(selectDirectory(nullptr, "title", nullptr, 10), -1);
    long view = -5;
    EXPECT_EQ(selectTables(nullptr, 4, nullptr, &view), -1);
    EXPECT_EQ(view, 0) << "no Open yet in this process";
    const std::string tooLong(260, 'a');
    view = -5;
    EXPECT_EQ(selectTables(nullptr, 4, tooLong.c_str(), &view), -1);
    EXPECT_EQ(view, 0);
}

} // namespace
