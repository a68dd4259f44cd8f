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

#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>

namespace {

#ifdef _WIN64
const char kSetDirectory[] = "?SetDirectory@@YAJPEBD@Z";
#else
const char kSetDirectory[] = "?SetDirectory@@YAJPBD@Z";
#endif
const char *const kNames[] = {"ParsePath",
                              kSetDirectory,
                              "DeleteINIFileKey",
                              "DeleteINIFileSection",
                              "CheckFileReadOnly",
                              "GetAllUserAppDataDir",
                              "GetLastModifiedDate",
                              "GetTimeNow",
                              "IsOrt3DInstalled",
                              "rv_encrypt",
                              "rv_decrypt",
                              "GetTextWidth",
                              "CalculateTransformParams",
                              "ShowSplashScreen",
                              "RemoveSplashScreen",
                              "AboutOrtelan"};
constexpr int kExports = 16, kFirstHeavy = 11, kFirstBox = 13;
FARPROC g_export[kExports];
unsigned long g_calls[kExports];
long long g_ticks[kExports];

DWORD CountHandles();
bool g_traceHandles = false;
DWORD g_handles = 0;

// Calls export e with these arguments as the cdecl function type F.
template <typename F, typename... A> long Call(int e, A... args) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const long result = reinterpret_cast<F>(reinterpret_cast<void *>(g_export[e]))(args...);
    QueryPerformanceCounter(&after);
    ++g_calls[e];
    g_ticks[e] += after.QuadPart - before.QuadPart;
    // During the first round, the handles each export leaves open are named:
    // a system component may keep one for the life of the process; a leak
    // shows again on every later call.
    if (g_traceHandles && CountHandles() != g_handles)
        std::printf("first %s: %+ld handles\n", kNames[e], long(CountHandles()) - long(g_handles));
    g_handles = g_traceHandles ? CountHandles() : g_handles;
    return result;
}
using Text = const char *;
// ParsePath returns nothing; called as returning a long, whose register it
// does not set: the result is not used.
using ParsePathFn = long(__cdecl *)(Text, char *, char *, char *, char *);
using TextFn = long(__cdecl *)(Text);
using Texts2Fn = long(__cdecl *)(Text, Text);
using Texts3Fn = long(__cdecl *)(Text, Text, Text);
using BufferFn = long(__cdecl *)(char *);
using TextBufferFn = long(__cdecl *)(Text, char *);
using NoArgFn = long(__cdecl *)();
using ScrambleFn = long(__cdecl *)(unsigned char *, long);
using WidthFn = long(__cdecl *)(HWND, Text, long, long, Text, long *, long *);
using FitFn = long(__cdecl *)(HWND, Text, long, long *, double *, Text, long);
using BoxFn = long(__cdecl *)(HWND, Text, Text, Text, Text, Text);

// Where Windows gives 0 (Wine), handles are counted by asking about each of
// the first 1,023 handle values (Wine hands out the lowest free one) and GDI
// objects through the handle table (Wine accepts a value without its
// generation bits); private bytes by the committed private pages.
DWORD CountHandles() {
    DWORD count = 0, flags;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count)
        return count;
    for (ULONG_PTR value = 4; value < 0x1000; value += 4)
        count += GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags) != 0;
    return count;
}

struct Usage {
    SIZE_T privateUsage = 0, committed = 0;
    DWORD handles = 0, gdi = 0, user = 0;
    int windows = 0;
};

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

Usage Measure(const char *when) {
    Usage u;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory))
        u.privateUsage = memory.PrivateUsage;
    MEMORY_BASIC_INFORMATION region;
    for (const char *at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
        u.committed +=
            region.State == MEM_COMMIT && region.Type == MEM_PRIVATE ? region.RegionSize : 0;
        const char *next = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    u.handles = CountHandles();
    u.gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (u.gdi == 0)
        for (ULONG_PTR value = 1; value < 0x10000; ++value)
            u.gdi += GetObjectType(reinterpret_cast<HGDIOBJ>(value)) != 0;
    u.user = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindow, reinterpret_cast<LPARAM>(&u.windows));
    std::printf("%-22s private bytes %llu (committed private %llu)  handles %lu  GDI objects %lu  "
                "USER objects %lu  thread windows %d\n",
                when, (unsigned long long)u.privateUsage, (unsigned long long)u.committed,
                u.handles, u.gdi, u.user, u.windows);
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
unsigned long g_failures = 0;
char g_appData[MAX_PATH], g_modified[267];
long g_ort3d, g_width, g_height;
double g_affine[6];

// One check of round i: each round's calls must give what the first gave.
void Check(unsigned long i, bool ok, const char *what) {
    if (!ok && g_failures++ < 20)
        std::printf("FAIL at round %lu: %s\n", i, what);
}

void Round(unsigned long i, bool heavy, bool boxes) {
    char drive[MAX_PATH], dir[256], name[256], ext[256], text[MAX_PATH], date[267], now[255];
    Call<ParsePathFn>(0, "C:\\data\\maps\\roads.tab", drive, dir, name, ext);
    Check(i,
          !std::strcmp(drive, "C:") && !std::strcmp(dir, "\\data\\maps\\") &&
              !std::strcmp(name, "roads") && !std::strcmp(ext, ".tab"),
          "ParsePath");
    Check(i, Call<TextFn>(1, i % 2 ? g_inner.c_str() : g_folder.c_str()) == 0, "SetDirectory");
    Check(i, Call<Texts3Fn>(2, "Soak", "Key", g_ini.c_str()) == 1, "DeleteINIFileKey");
    Check(i, Call<Texts2Fn>(3, "Soak", g_ini.c_str()) == 1, "DeleteINIFileSection");
    Check(i, Call<TextFn>(4, g_points.c_str()) == 0, "CheckFileReadOnly");
    Check(i, Call<BufferFn>(5, text) == 0 && !std::strcmp(text, g_appData), "GetAllUserAppDataDir");
    Check(i, Call<TextBufferFn>(6, g_points.c_str(), date) == 1 && !std::strcmp(date, g_modified),
          "GetLastModifiedDate");
    Check(i, Call<BufferFn>(7, now) == 1 && now[0], "GetTimeNow");
    Check(i, Call<NoArgFn>(8) == g_ort3d, "IsOrt3DInstalled");
    unsigned char buffer[13] = "Tessaro soak";
    Check(i, Call<ScrambleFn>(9, buffer, 12) == 1 && std::memcmp(buffer, "Tessaro soak", 12),
          "rv_encrypt");
    Check(i, Call<ScrambleFn>(10, buffer, 12) == 1 && !std::memcmp(buffer, "Tessaro soak", 12),
          "rv_decrypt");
    if (heavy) {
        long width = -1, height = -1, count = 0;
        double params[21] = {};
        Check(i,
              Call<WidthFn>(11, g_host, "Arial", 12L, 1L, "Ortelan soak text", &width, &height) ==
                      1 &&
                  width == g_width && height == g_height,
              "GetTextWidth");
        const long type = i % 2 ? 2 : 3;
        Check(i,
              Call<FitFn>(12, g_host, g_points.c_str(), type, &count, params, g_report.c_str(),
                          0L) == 1 &&
                  count == (type == 3 ? 6 : 4) &&
                  (type == 2 || !std::memcmp(params, g_affine, sizeof g_affine)),
              "CalculateTransformParams");
    }
    if (boxes) {
        g_lastDialog = nullptr;
        Check(i,
              Call<BoxFn>(13, g_host, "Ortelan", "1.0", "", "soak", "Veltrane") == 0 &&
                  g_lastDialog && IsWindowVisible(g_lastDialog),
              "ShowSplashScreen");
        Check(i, Call<NoArgFn>(14) == 0 && !IsWindow(g_lastDialog), "RemoveSplashScreen");
        g_lastDialog = nullptr;
        g_closeNextDialog = true;
        Check(i,
              Call<BoxFn>(15, g_host, "Ortelan", "1.0", "", "soak", "Veltrane") == 0 &&
                  g_lastDialog && !IsWindow(g_lastDialog),
              "AboutOrtelan");
        for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
            DispatchMessageA(&msg);
    }
}

} // namespace

int main(int argc, char **argv) {
    const unsigned long rounds = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    LARGE_INTEGER start, end, frequency;
    QueryPerformanceCounter(&start);
    QueryPerformanceFrequency(&frequency);
    const HMODULE dll = LoadLibraryA("ortk232.dll");
    for (int e = 0; e < kExports; ++e)
        if (!dll || !(g_export[e] = GetProcAddress(dll, kNames[e])))
            return std::printf("FAIL: cannot load ortk232.dll and its export %s\n", kNames[e]), 1;
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    g_folder = std::string(temp) + "ortk-soak-" + std::to_string(GetCurrentProcessId());
    g_inner = g_folder + "\\inner", g_points = g_folder + "\\points.txt";
    g_report = g_folder + "\\residuals.txt", g_ini = g_folder + "\\soak.ini";
    CreateDirectoryA(g_folder.c_str(), nullptr);
    CreateDirectoryA(g_inner.c_str(), nullptr);
    WritePrivateProfileStringA("Soak", "Key", "1", g_ini.c_str());
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

    // The first round: what each export gives, which later rounds must give
    // too, and the handles each leaves.
    long count = 0;
    g_traceHandles = true;
    g_handles = CountHandles();
    const bool first = Call<FitFn>(12, g_host, g_points.c_str(), 3L, &count, g_affine,
                                   g_report.c_str(), 0L) == 1 &&
                       Call<WidthFn>(11, g_host, "Arial", 12L, 1L, "Ortelan soak text", &g_width,
                                     &g_height) == 1 &&
                       g_width > 0 && Call<BufferFn>(5, g_appData) == 0 &&
                       Call<TextBufferFn>(6, g_points.c_str(), g_modified) == 1;
    g_ort3d = Call<NoArgFn>(8);
    Round(0, true, true);
    g_traceHandles = false;
    if (!first || g_failures)
        return std::printf("FAIL: the first calls did not succeed\n"), 1;
    const Usage afterFirst = Measure("after the first round:");
    Usage afterWarmup;
    for (unsigned long i = 0; i < rounds; ++i) {
        Round(i, i % 5 == 0, i % 50 == 0);
        if (i + 1 == 1000)
            afterWarmup = Measure("after 1,000 rounds:");
        if ((i + 1) % 10000 == 0)
            QueryPerformanceCounter(&end),
                std::printf("%lu rounds, %.1f s\n", i + 1,
                            double(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    }
    // The last calls, checked for what they do and not only for their result.
    WritePrivateProfileStringA("Soak", "Key", "2", g_ini.c_str());
    WritePrivateProfileStringA("Other", "Key", "3", g_ini.c_str());
    char value[16], current[MAX_PATH] = "";
    Call<Texts3Fn>(2, "Soak", "Key", g_ini.c_str());
    Call<Texts2Fn>(3, "Other", g_ini.c_str());
    GetPrivateProfileStringA("Soak", "Key", "gone", value, sizeof value, g_ini.c_str());
    Check(rounds, !std::strcmp(value, "gone"), "last DeleteINIFileKey");
    GetPrivateProfileStringA("Other", "Key", "gone", value, sizeof value, g_ini.c_str());
    Check(rounds, !std::strcmp(value, "gone"), "last DeleteINIFileSection");
    Call<TextFn>(1, g_inner.c_str());
    Check(rounds,
          Call<TextFn>(1, "..") == 0 && GetCurrentDirectoryA(MAX_PATH, current) &&
              !lstrcmpiA(current, g_folder.c_str()),
          "last SetDirectory");
    Check(rounds,
          std::fabs(g_affine[0] - 1000.1391304347826) < 1e-9 && std::fabs(g_affine[5] - 3.0) < 1e-9,
          "the affine coefficients");
    Round(rounds, true, true);
    const Usage atEnd = Measure("after the last calls:");
    QueryPerformanceCounter(&end);
    unsigned long total = 0;
    for (int e = 0; e < kExports; ++e) {
        const double seconds = double(g_ticks[e]) / double(frequency.QuadPart);
        total += g_calls[e];
        std::printf("  %-26s %7lu calls %8.2f s %9.1f us/call\n",
                    e == 1 ? "SetDirectory" : kNames[e], g_calls[e], seconds,
                    g_calls[e] ? 1e6 * seconds / g_calls[e] : 0.0);
    }
    std::printf("calls: %lu in %.1f s\n", total,
                double(end.QuadPart - start.QuadPart) / frequency.QuadPart);
    const long long usageGrowth =
                        (long long)atEnd.privateUsage - (long long)afterWarmup.privateUsage,
                    committedGrowth = (long long)atEnd.committed - (long long)afterWarmup.committed;
    std::printf("after the first 1,000 rounds: private bytes grew by %lld (GetProcessMemoryInfo), "
                "%lld (committed private pages)\n",
                usageGrowth, committedGrowth);
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
    Call<TextFn>(1, "C:\\");
    for (const std::string &path : {g_points, g_report, g_ini})
        DeleteFileA(path.c_str());
    RemoveDirectoryA(g_inner.c_str());
    RemoveDirectoryA(g_folder.c_str());
    std::printf("soak: %s (%lu failed calls)\n", ok ? "passed" : "FAILED", g_failures);
    return ok ? 0 : 1;
}
