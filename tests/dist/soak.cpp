// Soak: one host process calls every export of ortk232.dll many times, as the
// host does over a working day without restarting, and checks that memory,
// handles and windows stay level and that the last calls still succeed.
// Usage: ortk_soak [ROUNDS]. Every round calls each small export once; every
// 5th also GetTextWidth and CalculateTransformParams; every 50th also opens
// and closes the splash screen and the About box. The default, 100,000
// rounds, makes 100,000 small calls each, 20,000 of the two heavy ones and
// 2,000 of each box. The picker dialogs are not called.
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <cstring>
#include <sstream>
#include <string>

namespace {

#ifdef _WIN64
#define ORTK_SET_DIRECTORY "?SetDirectory@@YAJPEBD@Z"
#else
#define ORTK_SET_DIRECTORY "?SetDirectory@@YAJPBD@Z"
#endif
const char kNameList[] =
    "ParsePath " ORTK_SET_DIRECTORY
    " DeleteINIFileKey DeleteINIFileSection CheckFileReadOnly GetAllUserAppDataDir "
    "GetLastModifiedDate GetTimeNow IsOrt3DInstalled rv_encrypt rv_decrypt GetTextWidth "
    "CalculateTransformParams ShowSplashScreen RemoveSplashScreen AboutOrtelan";
std::string kNames[16];
constexpr int kExports = 16;
FARPROC g_export[kExports];
unsigned long g_calls[kExports], g_failures = 0;
bool g_trace = false;

// Where Windows gives 0 (Wine), handles are counted by asking about each of
// the first 1,023 handle values (Wine hands out the lowest free one).
DWORD CountHandles() {
    DWORD count = 0, flags;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count)
        return count;
    for (ULONG_PTR value = 4; value < 0x1000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return count;
}

// Calls export e as the cdecl function type F. During the first round the
// handles each export leaves open are named: a system component may keep one
// for the life of the process; a leak shows again on every later call.
template <typename F, typename... A> long Call(int e, A... args) {
    const DWORD before = g_trace ? CountHandles() : 0;
    const long result = reinterpret_cast<F *>(reinterpret_cast<void *>(g_export[e]))(args...);
    ++g_calls[e];
    if (g_trace && CountHandles() != before)
        std::printf("first %s: %+ld handles\n", kNames[e].c_str(),
                    long(CountHandles()) - long(before));
    return result;
}
using T = const char *; // ParsePath returns nothing: its "result" is not used
using BoxFn = long(HWND, T, T, T, T, T);

struct Usage {
    long long privateUsage, committed;
    DWORD handles, gdi, user;
    int windows;
};

// A window callback is stdcall on 32-bit Windows: a named CALLBACK, not a
// lambda, which would be cdecl there.
BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

// Private bytes also as the committed private pages, and GDI objects through
// the handle table, which Wine accepts without the generation bits: Wine
// reports neither.
Usage Measure(const char *when) {
    Usage u = {};
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory))
        u.privateUsage = memory.PrivateUsage;
    MEMORY_BASIC_INFORMATION r;
    for (const char *at = nullptr; VirtualQuery(at, &r, sizeof r) == sizeof r &&
                                   static_cast<const char *>(r.BaseAddress) + r.RegionSize > at;
         at = static_cast<const char *>(r.BaseAddress) + r.RegionSize)
        u.committed += r.State == MEM_COMMIT && r.Type == MEM_PRIVATE ? r.RegionSize : 0;
    u.handles = CountHandles();
    u.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (ULONG_PTR value = 1; u.gdi == 0 && value < 0x10000; ++value)
        u.gdi += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
    u.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&u.windows));
    std::printf("%-22s private bytes %lld (committed private %lld)  handles %lu  GDI objects %lu  "
                "USER objects %lu  thread windows %d\n",
                when, u.privateUsage, u.committed, u.handles, u.gdi, u.user, u.windows);
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
char g_appData[MAX_PATH], g_modified[267];
long g_ort3d, g_width, g_height;
double g_affine[6];

void Check(unsigned long i, bool ok, const char *what) {
    if (!ok && g_failures++ < 20)
        std::printf("FAIL at round %lu: %s\n", i, what);
}

// One round; each call must give what the first gave, and do what it should.
void Round(unsigned long i, bool heavy, bool boxes) {
    char drive[MAX_PATH], dir[256], name[256], ext[256], text[MAX_PATH], date[267], now[255];
    Call<long(T, char *, char *, char *, char *)>(0, "C:\\maps\\roads.tab", drive, dir, name, ext);
    Check(i, std::string(drive) + "|" + dir + "|" + name + "|" + ext == "C:|\\maps\\|roads|.tab",
          "ParsePath");
    const std::string &folder = i % 2 ? g_inner : g_folder;
    Check(i,
          Call<long(T)>(1, folder.c_str()) == 0 && GetCurrentDirectoryA(MAX_PATH, text) &&
              !lstrcmpiA(text, folder.c_str()),
          "SetDirectory");
    WritePrivateProfileStringA("Soak", "Key", "1", g_ini.c_str());
    WritePrivateProfileStringA("Other", "Key", "1", g_ini.c_str());
    Check(i,
          Call<long(T, T, T)>(2, "Soak", "Key", g_ini.c_str()) == 1 &&
              Call<long(T, T)>(3, "Other", g_ini.c_str()) == 1 &&
              GetPrivateProfileStringA("Soak", nullptr, "", text, MAX_PATH, g_ini.c_str()) +
                      GetPrivateProfileStringA("Other", nullptr, "", date, 267, g_ini.c_str()) ==
                  0,
          "DeleteINIFileKey, DeleteINIFileSection");
    Check(i, Call<long(T)>(4, g_points.c_str()) == 0, "CheckFileReadOnly");
    Check(i, Call<long(char *)>(5, text) == 0 && !std::strcmp(text, g_appData),
          "GetAllUserAppDataDir");
    Check(i,
          Call<long(T, char *)>(6, g_points.c_str(), date) == 1 && !std::strcmp(date, g_modified),
          "GetLastModifiedDate");
    Check(i, Call<long(char *)>(7, now) == 1 && now[0], "GetTimeNow");
    Check(i, Call<long()>(8) == g_ort3d, "IsOrt3DInstalled");
    unsigned char buffer[13] = "Tessaro soak";
    Check(i,
          Call<long(unsigned char *, long)>(9, buffer, 12L) == 1 &&
              std::memcmp(buffer, "Tessaro soak", 12) &&
              Call<long(unsigned char *, long)>(10, buffer, 12L) == 1 &&
              !std::memcmp(buffer, "Tessaro soak", 12),
          "rv_encrypt, rv_decrypt");
    long width = -1, height = -1, count = 0, type = i % 2 ? 2 : 3;
    double params[21] = {};
    Check(i,
          !heavy || (Call<long(HWND, T, long, long, T, long *, long *)>(
                         11, g_host, "Arial", 12L, 1L, "Ortelan soak text", &width, &height) == 1 &&
                     width == g_width && height == g_height),
          "GetTextWidth");
    Check(i,
          !heavy ||
              (Call<long(HWND, T, long, long *, double *, T, long)>(
                   12, g_host, g_points.c_str(), type, &count, params, g_report.c_str(), 0L) == 1 &&
               count == (type == 3 ? 6 : 4) &&
               (type == 2 || !std::memcmp(params, g_affine, sizeof g_affine))),
          "CalculateTransformParams");
    if (!boxes)
        return;
    g_lastDialog = nullptr;
    Check(i,
          Call<BoxFn>(13, g_host, "Ortelan", "1.0", "", "soak", "Veltrane") == 0 && g_lastDialog &&
              IsWindowVisible(g_lastDialog),
          "ShowSplashScreen");
    Check(i, Call<long()>(14) == 0 && !IsWindow(g_lastDialog), "RemoveSplashScreen");
    g_lastDialog = nullptr;
    g_closeNextDialog = true;
    Check(i,
          Call<BoxFn>(15, g_host, "Ortelan", "1.0", "", "soak", "Veltrane") == 0 && g_lastDialog &&
              !IsWindow(g_lastDialog),
          "AboutOrtelan");
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageA(&msg);
}

} // namespace

int main(int argc, char **argv) {
    const unsigned long rounds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const DWORD start = GetTickCount();
    const HMODULE dll = LoadLibraryA("ortk232.dll");
    std::istringstream names(kNameList);
    for (int e = 0; e < kExports; ++e)
        if (!(names >> kNames[e]) || !dll ||
            !(g_export[e] = GetProcAddress(dll, kNames[e].c_str())))
            return std::printf("FAIL: cannot load ortk232.dll and its export %s\n",
                               kNames[e].c_str()),
                   1;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    g_folder = std::string(temp) + "ortk-soak-" + std::to_string(GetCurrentProcessId());
    g_inner = g_folder + "\\inner", g_points = g_folder + "\\points.txt";
    g_report = g_folder + "\\residuals.txt", g_ini = g_folder + "\\soak.ini";
    CreateDirectoryA(g_folder.c_str(), nullptr);
    CreateDirectoryA(g_inner.c_str(), nullptr);
    FILE *file = std::fopen(g_points.c_str(), "wb");
    std::fputs("0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n10 10 1025 2025\n"
               "5 5 1013.1 2011.3\n20 5 1042.5 2005\n",
               file);
    std::fclose(file);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrtkSoakHost";
    RegisterClassA(&wc);
    // Shown, as a host's main window is: the splash screen gives it the
    // foreground when it closes.
    g_host = CreateWindowA("OrtkSoakHost", "ortk soak host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                           400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowsHookExA(WH_CALLWNDPROCRET, WatchDialogs, nullptr, GetCurrentThreadId());
    const Usage atStart = Measure("before the first call:");

    // The first round: what each export gives, which later rounds must give too.
    long count = 0;
    g_trace = true;
    const bool first =
        Call<long(HWND, T, long, long *, double *, T, long)>(
            12, g_host, g_points.c_str(), 3L, &count, g_affine, g_report.c_str(), 0L) == 1 &&
        g_affine[0] > 1000.13913 && g_affine[0] < 1000.13914 &&
        Call<long(HWND, T, long, long, T, long *, long *)>(
            11, g_host, "Arial", 12L, 1L, "Ortelan soak text", &g_width, &g_height) == 1 &&
        g_width > 0 && Call<long(char *)>(5, g_appData) == 0 &&
        Call<long(T, char *)>(6, g_points.c_str(), g_modified) == 1;
    g_ort3d = Call<long()>(8);
    Round(0, true, true);
    g_trace = false;
    if (!first || g_failures)
        return std::printf("FAIL: the first calls did not succeed\n"), 1;
    const Usage afterFirst = Measure("after the first round:");
    Usage afterWarmup = {};
    for (unsigned long i = 0; i < rounds; ++i) {
        Round(i, i % 5 == 0, i % 50 == 0);
        if (i + 1 == 1000)
            afterWarmup = Measure("after 1,000 rounds:");
        if ((i + 1) % 10000 == 0)
            std::printf("%lu rounds, %.1f s\n", i + 1, (GetTickCount() - start) / 1e3);
    }
    Round(rounds, true, true); // the last calls
    const Usage atEnd = Measure("after the last calls:");
    unsigned long total = 0;
    for (int e = 0; e < kExports; ++e)
        std::printf("  %-26s %7lu calls\n", e == 1 ? "SetDirectory" : kNames[e].c_str(),
                    g_calls[e]),
            total += g_calls[e];
    const long long usageGrowth = atEnd.privateUsage - afterWarmup.privateUsage,
                    committedGrowth = atEnd.committed - afterWarmup.committed;
    std::printf("calls: %lu in %.1f s; after the first 1,000 rounds private bytes grew by %lld "
                "(GetProcessMemoryInfo), %lld (committed private pages)\n",
                total, (GetTickCount() - start) / 1e3, usageGrowth, committedGrowth);
    // Handles are measured from the first round on: the system keeps a few
    // open from its first use for the rest of the process.
    const struct {
        bool failed;
        const char *what;
    } ends[] = {{afterWarmup.committed == 0 || committedGrowth >= 1 << 20 || usageGrowth >= 1 << 20,
                 "private bytes grew by 1 MB or more"},
                {atEnd.handles != afterFirst.handles,
                 "the handle count is not back where it was after the first round"},
                {atEnd.gdi > afterWarmup.gdi || atEnd.user > afterWarmup.user ||
                     atEnd.windows != atStart.windows,
                 "GDI objects, USER objects or windows grew"}};
    bool ok = g_failures == 0;
    for (const auto &e : ends)
        if (rounds >= 1000 && e.failed)
            ok = false, std::printf("FAIL: %s\n", e.what);
    Call<long(T)>(1, "C:\\");
    for (const std::string &path : {g_points, g_report, g_ini})
        DeleteFileA(path.c_str());
    RemoveDirectoryA(g_inner.c_str());
    RemoveDirectoryA(g_folder.c_str());
    std::printf("soak: %s (%lu failed calls)\n", ok ? "passed" : "FAILED", g_failures);
    return ok ? 0 : 1;
}
