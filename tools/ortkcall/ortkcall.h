// ortkcall: a stand-in for the host's script programs. It loads ortk232.dll,
// finds each export by its exported name and calls it with arguments from the
// command line, printing every result and out-argument as name=value.
#ifndef ORTK232_TOOLS_ORTKCALL_H
#define ORTK232_TOOLS_ORTKCALL_H

#include <windows.h>

struct CallCommand {
    const char *name;  // sub-command, the export's name in lower case
    const char *usage; // arguments after the sub-command
    int minArgs;       // arguments required after the sub-command
    int maxArgs;
    int (*run)(int argc, char **argv); // argv[0] is the first argument
};

// Adds a sub-command; used by the static registrars of each command file.
struct CommandRegistrar {
    explicit CommandRegistrar(const CallCommand &command);
};

// The address of an export of the loaded library; exits with status 2 when
// the library lacks it.
FARPROC FindExport(const char *exportedName);

template <class Function> Function Export(const char *exportedName) {
    return reinterpret_cast<Function>(reinterpret_cast<void *>(FindExport(exportedName)));
}

// A top-level window of ortkcall's own, created on first use, to pass as the
// host's window.
HWND HostWindow();

// Dispatches messages for the given time, as the host's message loop would.
void PumpMessages(DWORD milliseconds);

long ParseLong(const char *text);

void PrintLong(const char *name, long value);
void PrintDouble(const char *name, double value);
void PrintText(const char *name, const char *value);

#endif
