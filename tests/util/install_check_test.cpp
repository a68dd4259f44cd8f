// IsOrt3DInstalled against the registry and files of the Wine prefix.
#include <gtest/gtest.h>

#include <string>

#include "ortk232.h"
#include "tests/util/scratch_folder.h"

namespace {

// IsOrt3DInstalled reads HKLM\Software\Veltrane\Ortelan 3D, which the test
// creates for each case and removes at the end.
void RemoveOrt3DKey() {
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\Veltrane\\Ortelan 3D");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Veltrane\\Ortelan 3D");
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, "Software\\Veltrane"); // only when empty
}

void RecordProgramPath(const std::string *path, DWORD type = REG_SZ, bool withZero = true) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Veltrane\\Ortelan 3D", 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    if (path != nullptr)
        RegSetValueExA(key, "ProgramPath", 0, type, reinterpret_cast<const BYTE *>(path->c_str()),
                       static_cast<DWORD>(path->size() + (withZero ? 1 : 0)));
    RegCloseKey(key);
}

TEST(IsOrt3DInstalled, OnlyARecordedFileThatCanBeReadCounts) {
    RemoveOrt3DKey();
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    RecordProgramPath(nullptr);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    ScratchFolder folder;
    const std::string program = folder.WriteFile("ort3d.exe", "not really a program");
    SetEnvironmentVariableA("ORTK_ORT3D_FOLDER", folder.path().c_str());
    const struct {
        std::string path;
        DWORD type;
        bool withZero;
        long expected;
    } cases[] = {
        {program, REG_SZ, true, 1},
        {folder.WriteFile("notes.txt", ""), REG_BINARY, false, 1},
        {program, REG_EXPAND_SZ, true, 1},
        {folder.Child("missing.exe"), REG_SZ, true, 0},
        {folder.path(), REG_SZ, true, 0},
        {"", REG_SZ, true, 0},
        {std::string(1000, 'p'), REG_SZ, true, 0},
        {"%ORTK_ORT3D_FOLDER%\\ort3d.exe", REG_EXPAND_SZ, true, 0}, // nothing is expanded
    };
    for (const auto &c : cases) {
        RecordProgramPath(&c.path, c.type, c.withZero);
        EXPECT_EQ(IsOrt3DInstalled(), c.expected) << c.path << " of type " << c.type;
    }
    RecordProgramPath(&program);
    HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(IsOrt3DInstalled(), 0) << "a file held exclusively cannot be read";
    CloseHandle(held);
    EXPECT_EQ(IsOrt3DInstalled(), 1);
    SetEnvironmentVariableA("ORTK_ORT3D_FOLDER", nullptr);
    RemoveOrt3DKey();
}

} // namespace
