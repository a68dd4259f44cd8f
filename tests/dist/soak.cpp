// Soak: one host process calls the exports of ortk232.dll many times, as the
// host does over a working day without restarting, and checks that every call
// still does what the first did and that memory, handles and GDI objects
// stay level. Usage: ortk_soak [ROUNDS], 100,000 by default. Every
// round calls each small export once; every 5th also GetTextWidth and
// CalculateTransformParams; every 50th also opens and closes the splash screen
// and the About box. The picker dialogs are not called.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "ortk232.h"

namespace {

unsigned long g_failures = 0;

struct Usage {
    unsigned long long committed = 0;
    DWORD handles = 0, gdi = 0;
};

// Wine reports neither private bytes nor handle or GDI counts: the program
// adds up the committed private pages, asks about each low handle value (Wine
// hands out the lowest free one) and each GDI handle-table slot (Wine accepts
// a value without its generation bits). The soak runs under Wine only.
Usage Measure(const char *when) {
    Usage u;
    MEMORY_BASIC_INFORMATION r;
    for (const char *at = nullptr; VirtualQuery(at, &r, sizeof r) == sizeof r &&
                                   static_cast<const char *>(r.BaseAddress) + r.RegionSize > at;
         at = static_cast<const char *>(r.BaseAddress) + r.RegionSize)
        u.committed += r.State == MEM_COMMIT && r.Type == MEM_PRIVATE ? r.RegionSize : 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x1000; value += 4)
        u.handles += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    for (ULONG_PTR value = 1; value < 0x10000; ++value)
        u.gdi += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
    std::printf("%-22s committed private bytes %llu  handles %lu  GDI objects %lu\n", when,
                u.committed, u.handles, u.gdi);
    return u;
}

// The About box is closed by the program: a hook sees its WM_INITDIALOG and
// posts OK to it. The splash screen's window is recorded the same way.
HWND g_lastDialog = nullptr;
bool g_closeNextDialog = false;
LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam) {
    const auto *message = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
    if (code == HC_ACTION && message->message == WM_INITDIALOG) {
        g_lastDialog = message->hwnd;
        if (g_closeNextDialog)
            PostMessageA(message->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        g_closeNextDialog = false;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::string g_folder, g_inner, g_points, g_report, g_ini;
HWND g_host;

// What one round's calls give, one line a call: the result, then the
// outputs read after it. A round must give what the first round of its kind
// gave (light or heavy, with or without the boxes, into or out of the inner
// folder).
std::string Round(unsigned long i, bool heavy, bool boxes) {
    char drive[MAX_PATH], dir[256], name[256], ext[256], text[MAX_PATH], date[267];
    std::string r;
    // The outputs are read when the result is in: the buffers after the call.
    const auto add = [&r](long result, const char *outputs) {
        r += std::to_string(result) + " " + outputs + "\n";
    };
    ParsePath("C:\\maps\\roads.tab", drive, dir, name, ext);
    add(0, (std::string(drive) + "|" + dir + "|" + name + "|" + ext).c_str());
    // Odd rounds go into the inner folder by its full path, even ones back out by "..".
    const long set = SetDirectory(i % 2 ? g_inner.c_str() : "..");
    GetCurrentDirectoryA(MAX_PATH, text);
    add(set, text);
    // What the deletions remove is put back, and read back, in the heavy
    // rounds only: writing an INI file costs more than the calls themselves.
    const char *ini = g_ini.c_str();
    for (const char *section : {"Soak", "Other"})
        if (heavy)
            WritePrivateProfileStringA(section, "Key", "1", ini);
    const long deleted =
        DeleteINIFileKey("Soak", "Key", ini) * 10 + DeleteINIFileSection("Other", ini);
    const DWORD left = heavy ? GetPrivateProfileStringA("Soak", "Key", "", text, 9, ini) +
                                   GetPrivateProfileStringA("Other", "Key", "", text, 9, ini)
                             : 0;
    add(deleted, std::to_string(left).c_str());
    add(CheckFileReadOnly(g_points.c_str()) * 10 + IsOrt3DInstalled(), "");
    add(GetAllUserAppDataDir(text), text);
    add(GetLastModifiedDate(g_points.c_str(), date), date);
    const long now = GetTimeNow(date);
    add(now, std::strlen(date) >= 10 ? "time" : "no time");
    unsigned char buffer[13] = "Tessaro soak";
    const long encrypted = rv_encrypt(buffer, 12);
    add(encrypted, std::memcmp(buffer, "Tessaro soak", 12) != 0 ? "changed" : "unchanged");
    add(rv_decrypt(buffer, 12), reinterpret_cast<char *>(buffer));
    if (heavy) {
        long width = -1, height = -1, count = 0;
        const long measured =
            GetTextWidth(g_host, "Arial", 12, 1, "Ortelan soak text", &width, &height);
        add(measured, (std::to_string(width) + " " + std::to_string(height)).c_str());
        double params[21] = {};
        const long fitted = CalculateTransformParams(g_host, g_points.c_str(), i % 2 ? 2 : 3,
                                                     &count, params, g_report.c_str(), 0);
        std::string coefficients = std::to_string(count);
        for (long k = 0; k < count; ++k)
            coefficients += " " + std::to_string(params[k]);
        add(fitted, coefficients.c_str());
    }
    if (!boxes)
        return r;
    g_lastDialog = nullptr;
    const long shown = ShowSplashScreen(g_host, "Ortelan", "1.0", "", "soak", "Veltrane");
    const bool visible = g_lastDialog != nullptr && IsWindowVisible(g_lastDialog);
    const long removed = RemoveSplashScreen();
    add(shown * 10 + removed, visible && !IsWindow(g_lastDialog) ? "shown, gone" : "not shown");
    g_lastDialog = nullptr, g_closeNextDialog = true;
    const long about = AboutOrtelan(g_host, "Ortelan", "1.0", "", "soak", "Veltrane");
    add(about, g_lastDialog != nullptr && !IsWindow(g_lastDialog) ? "shown, gone" : "not shown");
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageA(&msg);
    return r;
}

} // namespace

int main(int argc, char **argv) {
    const unsigned long rounds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const DWORD start = GetTickCount();
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    g_folder = std::string(temp) + "ortk-soak-" + std::to_string(GetCurrentProcessId());
    g_inner = g_folder + "\\inner", g_points = g_folder + "\\points.txt";
    g_report = g_folder + "\\residuals.txt", g_ini = g_folder + "\\soak.ini";
    CreateDirectoryA(g_folder.c_str(), nullptr);
    CreateDirectoryA(g_inner.c_str(), nullptr);
    SetDirectory(g_inner.c_str());
    FILE *file = std::fopen(g_points.c_str(), "wb");
    std::fputs("0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
               "5 5 1013.1 2011.3\n20 5 1042.5 2005\n",
               file);
    std::fclose(file);
    // Shown, as a host's main window is: the splash screen gives it the
    // foreground when it closes.
    g_host = CreateWindowA("STATIC", "ortk soak host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 400,
                           300, nullptr, nullptr, nullptr, nullptr);
    SetWindowsHookExA(WH_CALLWNDPROCRET, WatchDialogs, nullptr, GetCurrentThreadId());
    // The first round's record, for the log; its fit must be the known one.
    std::map<int, std::string> first;
    const std::string record = first[3] = Round(0, true, true);
    std::printf("first round:\n%s", record.c_str());
    if (record.find("\n1 6 1000.139130 ") == std::string::npos)
        return std::printf("FAIL: the first calls did not succeed\n"), 1;
    // The system keeps a few handles open from its first use of a service
    // (Wine one for the first INI call): handles are measured from here.
    const Usage afterFirst = Measure("after the first round:");
    Usage afterWarmup;
    for (unsigned long i = 1; i <= rounds; ++i) {
        const bool heavy = i % 5 == 0, boxes = i % 50 == 0;
        const std::string now = Round(i, heavy, boxes);
        const std::string &then = first.emplace(heavy + 2 * boxes + 4 * (i % 2), now).first->second;
        if (now != then && g_failures++ < 5)
            std::printf("FAIL at round %lu:\n%swhere the first of its kind gave\n%s", i,
                        now.c_str(), then.c_str());
        if (i == 1000)
            afterWarmup = Measure("after 1,000 rounds:");
    }
    const Usage atEnd = Measure("after the last calls:");
    const long long growth = (long long)(atEnd.committed - afterWarmup.committed);
    std::printf(
        "%lu rounds in %.1f s; after the first 1,000 rounds committed private bytes grew by "
        "%lld\n",
        rounds, (GetTickCount() - start) / 1000.0, growth);
    if (rounds >= 1000 && !(afterWarmup.committed && growth < 1 << 20 &&
                            atEnd.handles == afterFirst.handles && atEnd.gdi <= afterWarmup.gdi)) {
        std::printf("FAIL: private bytes, handles or GDI objects grew\n");
        ++g_failures;
    }
    SetDirectory("C:\\");
    for (const std::string &path : {g_points, g_report, g_ini})
        DeleteFileA(path.c_str());
    RemoveDirectoryA(g_inner.c_str());
    RemoveDirectoryA(g_folder.c_str());
    std::printf("soak: %s (%lu failed checks)\n", g_failures ? "FAILED" : "passed", g_failures);
    return g_failures ? 1 : 0;
}
