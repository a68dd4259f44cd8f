// The picker exports as the host binds them from the built DLL: refused
// arguments end before any dialog opens.
#include <gtest/gtest.h>

#include "tests/frame/library.h"

namespace {

TEST(DllPickers, RefusedArgumentsReturnMinusOneWithoutADialog) {
    using SelectDirectoryFn = long(__cdecl *)(HWND, const char *, char *, long);
    using SelectMultipleTablesFn = long(__cdecl *)(HWND, long, const char *, long *);
    EXPECT_EQ(LibraryExport<SelectDirectoryFn>("SelectDirectory")(nullptr, "title", nullptr, 10),
              -1);
    auto selectTables = LibraryExport<SelectMultipleTablesFn>("SelectMultipleTables");
    long view = -5;
    EXPECT_EQ(selectTables(nullptr, 4, nullptr, &view), -1);
    EXPECT_EQ(view, 0) << "no Open yet in this process";
    view = -5;
    EXPECT_EQ(selectTables(nullptr, 4, std::string(260, 'a').c_str(), &view), -1);
    EXPECT_EQ(view, 0);
}

} // namespace
