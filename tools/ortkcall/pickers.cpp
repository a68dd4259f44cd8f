// ortkcall sub-commands for the folder picker and the multiple table picker.
// The dialogs are owned by ortkcall's own host window.
#include "tools/ortkcall/ortkcall.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

using SelectDirectoryFn = long(__cdecl *)(HWND, const char *, char *, long);
using SelectMultipleTablesFn = long(__cdecl *)(HWND, long, const char *, long *);

int RunSelectDirectory(int, char **argv) {
    const long size = ParseLong(argv[1]);
    // Room for size characters and the NUL, as the export's contract asks.
    std::vector<char> directory(static_cast<size_t>(size > 0 ? size : 0) + 1, '\0');
    const long result =
        Export<SelectDirectoryFn>("SelectDirectory")(HostWindow(), argv[0], directory.data(), size);
    PrintLong("result", result);
    PrintText("directory", directory.data());
    return 0;
}

int RunSelectMultipleTables(int, char **argv) {
    long view = -99;
    const long result = Export<SelectMultipleTablesFn>("SelectMultipleTables")(
        HostWindow(), ParseLong(argv[0]), argv[1], &view);
    PrintLong("result", result);
    PrintLong("view", view);
    if (FILE *list = std::fopen(argv[1], "r")) {
        char line[1024];
        while (std::fgets(line, sizeof line, list) != nullptr) {
            line[std::strcspn(line, "\r\n")] = '\0';
            PrintText("line", line);
        }
        std::fclose(list);
    }
    return 0;
}

const CommandRegistrar selectDirectory({"selectdirectory", "<title> <size>", 2, 2,
                                        RunSelectDirectory});
const CommandRegistrar selectMultipleTables({"selectmultipletables", "<kind> <listfile>", 2, 2,
                                             RunSelectMultipleTables});

} // namespace
