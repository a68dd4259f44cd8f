// The built DLL as a host binds it: ortkcall.exe loads ortk232.dll, finds each
// export by its exported name (scripts/check-exports.sh checks the export
// table) and prints every result and output.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <string>

namespace {

// What ortkcall.exe, beside the test program in the current folder, prints for
// the arguments, then '#' and its exit status.
std::string RunOrtkcall(const std::string &arguments) {
    std::string output;
    if (FILE *pipe = _popen(("ortkcall.exe " + arguments).c_str(), "r")) {
        for (int c; (c = std::fgetc(pipe)) != EOF;)
            output += static_cast<char>(c);
        output += "#" + std::to_string(_pclose(pipe));
    }
    return output;
}

TEST(DllExports, OrtkcallPrintsResultsAndOutputs) {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string ini = std::string(temp) + "ortk-dll.ini";
    WritePrivateProfileStringA("Keep", "a", "1", ini.c_str());
    WritePrivateProfileStringA("Keep", "b", "2", ini.c_str());
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
        {"showsplashscreen Ortelan 4.0 - 2>NUL", "#2"}, // too few arguments
    };
    for (const auto &row : rows) {
        const std::string output = RunOrtkcall(row[0]);
        EXPECT_TRUE(std::regex_match(output, std::regex(row[1]))) << row[0] << ": " << output;
    }
    char keys[64] = "";
    const DWORD length = GetPrivateProfileSectionA("Keep", keys, sizeof keys, ini.c_str());
    EXPECT_EQ(std::string(keys, length), std::string("b=2\0", 4));
    EXPECT_EQ(GetPrivateProfileSectionA("Drop", keys, sizeof keys, ini.c_str()), 0u);
    DeleteFileA(ini.c_str());
}

} // namespace
