// The built DLL as the host binds it: every export of the frame, path,
// utility, picker and banner code is found under its exported name.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

namespace {

TEST(DllExports, AreFoundByTheirHostNames) {
    ASSERT_NE(Library(), nullptr);
    for (const char *name :
         {"ParsePath", kSetDirectoryName, "DeleteINIFileSection", "DeleteINIFileKey",
          "CheckFileReadOnly", "GetAllUserAppDataDir", "GetLastModifiedDate", "GetTimeNow",
          "IsOrt3DInstalled", "GetTextWidth", "rv_encrypt", "rv_decrypt", "SelectDirectory",
          "SelectMultipleTables", "ShowSplashScreen", "RemoveSplashScreen", "AboutOrtelan"})
        EXPECT_NE(GetProcAddress(Library(), name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(Library(), kOtherSetDirectoryName), nullptr);
    // SetDirectory is bound by its decorated name only.
    EXPECT_EQ(GetProcAddress(Library(), "SetDirectory"), nullptr);
    EXPECT_EQ(GetProcAddress(Library(), "SetDirectoryImpl"), nullptr);
}

} // namespace
