// ortkcall sub-commands for the file, time, INI, text-width and scrambling
// exports.
#include "tools/ortkcall/ortkcall.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using TwoTextsFn = long(__cdecl *)(const char *, const char *);
using ThreeTextsFn = long(__cdecl *)(const char *, const char *, const char *);
using TextFn = long(__cdecl *)(const char *);
using OutTextFn = long(__cdecl *)(char *);
using TextOutTextFn = long(__cdecl *)(const char *, char *);
using NoArgumentFn = long(__cdecl *)();
using TextWidthFn = long(__cdecl *)(HWND, const char *, long, long, const char *, long *, long *);
using ScrambleFn = long(__cdecl *)(unsigned char *, long);

int RunDeleteIniFileSection(int, char **argv) {
    PrintLong("result", Export<TwoTextsFn>("DeleteINIFileSection")(argv[0], argv[1]));
    return 0;
}

int RunDeleteIniFileKey(int, char **argv) {
    PrintLong("result", Export<ThreeTextsFn>("DeleteINIFileKey")(argv[0], argv[1], argv[2]));
    return 0;
}

int RunCheckFileReadOnly(int, char **argv) {
    PrintLong("result", Export<TextFn>("CheckFileReadOnly")(argv[0]));
    return 0;
}

int RunGetAllUserAppDataDir(int, char **) {
    char folder[MAX_PATH] = "";
    PrintLong("result", Export<OutTextFn>("GetAllUserAppDataDir")(folder));
    PrintText("text", folder);
    return 0;
}

int RunGetLastModifiedDate(int, char **argv) {
    char text[12 + 254 + 1] = "<unset>";
    PrintLong("result", Export<TextOutTextFn>("GetLastModifiedDate")(argv[0], text));
    PrintText("text", text);
    return 0;
}

int RunGetTimeNow(int, char **) {
    char text[255] = "<unset>";
    PrintLong("result", Export<OutTextFn>("GetTimeNow")(text));
    PrintText("text", text);
    return 0;
}

int RunIsOrt3DInstalled(int, char **) {
    PrintLong("result", Export<NoArgumentFn>("IsOrt3DInstalled")());
    return 0;
}

// Measures on ortkcall's own host window, as a script would on the host's.
int RunGetTextWidth(int, char **argv) {
    long width = -1, height = -1;
    const long result = Export<TextWidthFn>("GetTextWidth")(
        HostWindow(), argv[0], ParseLong(argv[1]), ParseLong(argv[2]), argv[3], &width, &height);
    PrintLong("result", result);
    PrintLong("width", width);
    PrintLong("height", height);
    return 0;
}

bool ParseHex(const char *text, std::vector<unsigned char> *bytes) {
    const std::size_t length = std::strlen(text);
    if (length % 2 != 0)
        return false;
    for (std::size_t i = 0; i < length; i += 2) {
        unsigned value = 0;
        for (std::size_t j = i; j < i + 2; ++j) {
            const char c = text[j];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= c - '0';
            else if (c >= 'a' && c <= 'f')
                value |= c - 'a' + 10;
            else if (c >= 'A' && c <= 'F')
                value |= c - 'A' + 10;
            else
                return false;
        }
        bytes->push_back(static_cast<unsigned char>(value));
    }
    return true;
}

// The buffer comes in hexadecimal; the length passed is its byte count unless
// a second argument gives another one (at most the byte count, or below 1).
int RunScrambler(const char *exportName, const char *command, int argc, char **argv) {
    std::vector<unsigned char> bytes;
    if (!ParseHex(argv[0], &bytes)) {
        std::fprintf(stderr, "ortkcall %s: the buffer must be pairs of hexadecimal digits\n",
                     command);
        return 2;
    }
    long length = static_cast<long>(bytes.size());
    if (argc > 1) {
        length = ParseLong(argv[1]);
        if (length > static_cast<long>(bytes.size())) {
            std::fprintf(stderr, "ortkcall %s: the length exceeds the buffer\n", command);
            return 2;
        }
    }
    unsigned char empty = 0;
    unsigned char *buffer = bytes.empty() ? &empty : bytes.data();
    PrintLong("result", Export<ScrambleFn>(exportName)(buffer, length));
    std::string hex;
    for (unsigned char byte : bytes) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02x", byte);
        hex += pair;
    }
    PrintText("buffer", hex.c_str());
    return 0;
}

int RunEncrypt(int argc, char **argv) {
    return RunScrambler("rv_encrypt", "rv_encrypt", argc, argv);
}

int RunDecrypt(int argc, char **argv) {
    return RunScrambler("rv_decrypt", "rv_decrypt", argc, argv);
}

const CommandRegistrar deleteSection({"deleteinifilesection", "<section> <file>", 2, 2,
                                      RunDeleteIniFileSection});
const CommandRegistrar deleteKey({"deleteinifilekey", "<section> <key> <file>", 3, 3,
                                  RunDeleteIniFileKey});
const CommandRegistrar checkReadOnly({"checkfilereadonly", "<path>", 1, 1, RunCheckFileReadOnly});
const CommandRegistrar appDataDir({"getalluserappdatadir", "", 0, 0, RunGetAllUserAppDataDir});
const CommandRegistrar lastModified({"getlastmodifieddate", "<path>", 1, 1,
                                     RunGetLastModifiedDate});
const CommandRegistrar timeNow({"gettimenow", "", 0, 0, RunGetTimeNow});
const CommandRegistrar ort3d({"isort3dinstalled", "", 0, 0, RunIsOrt3DInstalled});
const CommandRegistrar textWidth({"gettextwidth", "<face> <points> <style> <text>", 4, 4,
                                  RunGetTextWidth});
const CommandRegistrar encrypt({"rv_encrypt", "<hex bytes> [length]", 1, 2, RunEncrypt});
const CommandRegistrar decrypt({"rv_decrypt", "<hex bytes> [length]", 1, 2, RunDecrypt});

} // namespace
