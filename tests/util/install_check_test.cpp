// IsOrt3DInstalled against the real registry of the Wine prefix: the test
// creates HKLM\Software\Veltrane\Ortelan 3D for each case and removes it.
#include <gtest/gtest.h>

#include <string>

#include "ortk232.h"
#include "tests/util/scratch_folder.h"

namespace {

const char kVeltraneKey[] = "Software\\Veltrane";
const char kOrt3DKey[] = "Software\\Veltrane\\Ortelan 3D";

class Ort3DRegistry : public testing::Test {
  protected:
    void SetUp() override { RemoveKey(); }
    void TearDown() override { RemoveKey(); }

    static void RemoveKey() {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kOrt3DKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kOrt3DKey);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVeltraneKey); // only when empty
    }

    // Creates the key, and the value when data is given, stored with its
    // terminating zero unless withZero is false.
    static void Record(const std::string *data, DWORD type = REG_SZ, bool withZero = true) {
        HKEY key = nullptr;
        ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, kOrt3DKey, 0, nullptr, 0, KEY_WRITE, nullptr,
                                  &key, nullptr),
                  ERROR_SUCCESS);
        if (data != nullptr) {
            const DWORD size = static_cast<DWORD>(data->size() + (withZero ? 1 : 0));
            EXPECT_EQ(RegSetValueExA(key, "ProgramPath", 0, type,
                                     reinterpret_cast<const BYTE *>(data->c_str()), size),
                      ERROR_SUCCESS);
        }
        RegCloseKey(key);
    }
    static void RecordPath(const std::string &path, DWORD type = REG_SZ, bool withZero = true) {
        Record(&path, type, withZero);
    }

    ScratchFolder folder_;
};

TEST_F(Ort3DRegistry, MissingKeyOrValueGivesZero) {
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    Record(nullptr);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
}

TEST_F(Ort3DRegistry, AnExistingReadableFileGivesOne) {
    const std::string program = folder_.WriteFile("ort3d.exe", "not really a program");
    RecordPath(program);
    EXPECT_EQ(IsOrt3DInstalled(), 1);
    // Whatever the file is, and however the value was stored.
    RecordPath(folder_.WriteFile("notes.txt", ""), REG_BINARY, false);
    EXPECT_EQ(IsOrt3DInstalled(), 1);
    RecordPath(program, REG_EXPAND_SZ);
    EXPECT_EQ(IsOrt3DInstalled(), 1);
}

TEST_F(Ort3DRegistry, MissingFilesDirectoriesAndUnexpandedNamesGiveZero) {
    RecordPath(folder_.Child("ort3d.exe"));
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    RecordPath(folder_.path());
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    RecordPath("");
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    RecordPath(std::string(1000, 'p'));
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    // Nothing in the text is expanded.
    folder_.WriteFile("ort3d.exe", "x");
    SetEnvironmentVariableA("ORTK_ORT3D_FOLDER", folder_.path().c_str());
    RecordPath("%ORTK_ORT3D_FOLDER%\\ort3d.exe", REG_EXPAND_SZ);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    SetEnvironmentVariableA("ORTK_ORT3D_FOLDER", nullptr);
}

TEST_F(Ort3DRegistry, AFileHeldExclusivelyCannotBeReadAndGivesZero) {
    const std::string program = folder_.WriteFile("ort3d.exe", "x");
    RecordPath(program);
    HANDLE held = CreateFileA(program.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(IsOrt3DInstalled(), 0);
    CloseHandle(held);
    EXPECT_EQ(IsOrt3DInstalled(), 1);
}

} // namespace
