// The built DLL as the host sees it: exported names, resources, version.
#include "tests/frame/library.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

TEST(DllExports, PathExportsAreFoundByTheirHostNames) {
    ASSERT_NE(Library(), nullptr);
    EXPECT_NE(GetProcAddress(Library(), "ParsePath"), nullptr);
    EXPECT_NE(GetProcAddress(Library(), kSetDirectoryName), nullptr);
    EXPECT_EQ(GetProcAddress(Library(), kOtherSetDirectoryName), nullptr);
    // SetDirectory is bound by its decorated name only.
    EXPECT_EQ(GetProcAddress(Library(), "SetDirectory"), nullptr);
    EXPECT_EQ(GetProcAddress(Library(), "SetDirectoryImpl"), nullptr);
}

TEST(DllResources, StringTableHoldsEveryMessage) {
    const std::map<unsigned, std::string> expected = {
        {125, "Open Multiple Tables"},
        {126, "Open Multiple TVF Files"},
        {127, "New Mapper for All"},
        {128, "New Mapper for Each"},
        {129, "Current Mapper"},
        {130, "Browser"},
        {131, "No View"},
        {2000, "Out of memory: cannot allocate TX array."},
        {2001, "CalculateTransformParams"},
        {2002, "Out of memory: cannot allocate TY array."},
        {2003, "Cannot create file to store residuals"},
        {2004, "Cannot locate control points file."},
        {2005, "ReadControlPoints"},
        {2006, "Cannot open control points file."},
        {2007, "Out of memory: cannot allocate control point."},
        {2009, "Out of memory: cannot allocate XP array."},
        {2010, "Out of memory: cannot allocate YP array."},
        {2011, "Out of memory: cannot allocate XI array."},
        {2012, "Out of memory: cannot allocate YI array."},
        {2013, "Cannot create residuals file."},
        {2014, "WriteResiduals"},
        {2015, "Error while writing data into residuals file."},
        {2016, "Error while writing Total RMS into residuals file."},
        {2017, "Error while writing standard deviations into residuals file."},
        {2018, "Error in line %li of input data file: missing x_old coordinate"},
        {2019, "Error in line %li of input data file: y_old not found"},
        {2020, "Error in line %li of input data file: missing y_old coordinate"},
        {2021, "Error in line %li of input data file: x_new not found"},
        {2022, "Error in line %li of input data file: missing x_new coordinate"},
        {2023, "Error in line %li of input data file: y_new not found"},
        {2024, "Error in line %li of input data file: missing y_new coordinate"},
        {2025, "Selected drive is not available."},
        {2026, "Warning"},
        {2027, "Out of memory: cannot allocate storage for selected files"},
        {2028, "AddFilesToList"},
        {2029, "RemoveFilesFromList"},
        {2030, "Cannot create temporary file to store file names"},
        {2031, "WriteSelectedFileNamesToStorage"},
    };
    for (const auto &row : expected) {
        char text[256] = "";
        LoadStringA(Library(), row.first, text, sizeof text);
        EXPECT_EQ(text, row.second) << "string " << row.first;
    }
    char unused[256] = "";
    EXPECT_EQ(LoadStringA(Library(), 2008, unused, sizeof unused), 0);
}

std::string VersionString(const std::vector<char> &block, const char *name) {
    char *value = nullptr;
    UINT length = 0;
    const std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(block.data(), key.c_str(), reinterpret_cast<void **>(&value), &length))
        return "";
    return value;
}

TEST(DllResources, VersionResourceNamesTheLibrary) {
    char path[MAX_PATH];
    GetModuleFileNameA(Library(), path, MAX_PATH);
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path, &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoA(path, 0, size, block.data()));
    VS_FIXEDFILEINFO *fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.data(), "\\", reinterpret_cast<void **>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000001u);
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_DLL));
    EXPECT_EQ(VersionString(block, "FileVersion"), "1, 0, 0, 1");
    EXPECT_EQ(VersionString(block, "ProductVersion"), "1, 0, 0, 1");
    EXPECT_EQ(VersionString(block, "InternalName"), "ortk232");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "ortk232.dll");
    EXPECT_EQ(VersionString(block, "ProductName"), "ortk232 Dynamic Link Library");
    EXPECT_FALSE(VersionString(block, "CompanyName").empty());
    EXPECT_FALSE(VersionString(block, "FileDescription").empty());
    EXPECT_FALSE(VersionString(block, "LegalCopyright").empty());
}

TEST(DllResources, ManifestAsksForInvokerLevelAndDpiAwareness) {
    HRSRC found = FindResourceA(Library(), MAKEINTRESOURCEA(2), MAKEINTRESOURCEA(24));
    ASSERT_NE(found, nullptr);
    const char *data = static_cast<const char *>(LockResource(LoadResource(Library(), found)));
    const std::string manifest(data, SizeofResource(Library(), found));
    EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos);
    EXPECT_NE(manifest.find("uiAccess=\"false\""), std::string::npos);
    EXPECT_NE(manifest.find(">true</dpiAware>"), std::string::npos);
}

} // namespace
