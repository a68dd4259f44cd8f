// The built DLL as a host binds it: ortkcall.exe loads ortk232.dll, finds each
// export by its exported name (scripts/check-exports.sh checks the export
// table) and prints every result and output.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>

namespace {

// What ortkcall.exe beside this program prints (standard output and error)
// for the arguments, then '#' and its exit status. It is started by its full
// path, not through cmd and its search path, which on a loaded machine now
// and then answered 9009, program not found.
std::string RunOrtkcall(const std::string &arguments) {
    char path[MAX_PATH];
    std::string command(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    command = "\"" + command.substr(0, command.rfind('\\') + 1) + "ortkcall.exe\" " + arguments;
    // Without a pipe or a process the output stays empty and the row fails.
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup, startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = writeEnd;
    PROCESS_INFORMATION process{};
    CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                   &process);
    CloseHandle(writeEnd); // the child's copy is the only writer left
    std::string output;
    char buffer[4096];
    for (DWORD count; ReadFile(readEnd, buffer, sizeof buffer, &count, nullptr) && count;)
        output.append(buffer, count);
    DWORD status = 999; // kept when the program did not start
    WaitForSingleObject(process.hProcess, INFINITE);
    GetExitCodeProcess(process.hProcess, &status);
    for (HANDLE handle : {readEnd, process.hProcess, process.hThread})
        CloseHandle(handle);
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    return output + "#" + std::to_string(status);
}

TEST(DllExports, OrtkcallPrintsResultsAndOutputs) {
    char temp[MAX_PATH];
    const std::string ini = std::string(temp, GetTempPathA(MAX_PATH, temp)) + "ortk-dll.ini";
    WritePrivateProfileStringA("Keep", "a", "1", ini.c_str());
    WritePrivateProfileStringA("Drop", "c", "3", ini.c_str());
    // Arguments, then the output (a pattern where it depends on the machine).
    const std::string rows[][2] = {
        {"parsepath \\\\server\\share\\data\\roads.tab",
         "drive=\\\\\\\\server\\\\share\ndir=\\\\data\\\\\nname=roads\next=\\.tab\n#0"},
        {"setdirectory C:\\windows\\system32", "result=0\ncurrent=C:\\\\windows\\\\system32\n#0"},
        {"rv_encrypt 616263 2", "result=1\nbuffer=a29063\n#0"},
        {"checkfilereadonly C:\\ortk-util\\read-only", "result=1\n#0"},
        {"getlastmodifieddate ortk232.dll", "result=1\ntext=\\d\\d [A-Z][a-z]{2} \\d{4} .+\n#0"},
        {"getalluserappdatadir", "result=0\ntext=C:\\\\ProgramData\n#0"},
        {"isort3dinstalled", "result=0\n#0"},
        {"gettextwidth Arial 12 3 \"Tessaro map\"", "result=1\nwidth=[1-9]\\d*\nheight=12\n#0"},
        {"gettimenow", "result=1\ntext=\\d{1,2}:\\d\\d:\\d\\d [AP]M\n#0"},
        {"deleteinifilesection Drop \"" + ini + "\"", "result=1\n#0"},
        {"deleteinifilekey Keep a \"" + ini + "\"", "result=1\n#0"},
        {"showsplashscreen Ortelan 4.0 - \"J. Smith\" Survey 500", "result=0\nopen=1\n#0"},
        {"removesplashscreen", "result=0\n#0"},
        {"showsplashscreen Ortelan 4.0 -",
         "usage: ortkcall showsplashscreen [\\s\\S]*#2"}, // too few
    };
    for (const auto &row : rows) {
        const std::string output = RunOrtkcall(row[0]);
        EXPECT_TRUE(std::regex_match(output, std::regex(row[1]))) << row[0] << ": " << output;
    }
    // Both deletions reached the file: no key is left in either section.
    char keys[64];
    EXPECT_EQ(GetPrivateProfileSectionA("Keep", keys, sizeof keys, ini.c_str()) +
                  GetPrivateProfileSectionA("Drop", keys, sizeof keys, ini.c_str()),
              0u);
    DeleteFileA(ini.c_str());
}

} // namespace
