// Soak: one host process calls every export of ortk232.dll many times, as the
// host does over a working day without restarting, and checks that memory,
// handles and windows stay level and that the last calls still succeed.
// Usage: ortk_soak [ITERATIONS]. Every iteration calls each small export once;
// every 5th also GetTextWidth and CalculateTransformParams; every 50th also
// opens and closes the splash screen and the About box. The default, 100,000
// iterations, makes 100,000 small calls each, 20,000 of the two heavy ones and
// 2,000 of each box. The picker dialogs are not called.
#include <windows.h>
#include <psapi.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

using ParsePathFn = void(__cdecl *)(const char *, char *, char *, char *, char *);
using SetDirectoryFn = long(__cdecl *)(const char *);
using CalculateFn = long(__cdecl *)(HWND, const char *, long, long *, double *, const char *, long);
using TwoTextsFn = long(__cdecl *)(const char *, const char *);
using ThreeTextsFn = long(__cdecl *)(const char *, const char *, const char *);
using TextFn = long(__cdecl *)(const char *);
using BufferFn = long(__cdecl *)(char *);
using TextBufferFn = long(__cdecl *)(const char *, char *);
using NoArgumentFn = long(__cdecl *)();
using TextWidthFn = long(__cdecl *)(HWND, const char *, long, long, const char *, long *, long *);
using ScrambleFn = long(__cdecl *)(unsigned char *, long);
using BoxFn = long(__cdecl *)(HWND, const char *, const char *, const char *, const char *,
                              const char *);

#ifdef _WIN64
const char kSetDirectoryName[] = "?SetDirectory@@YAJPEBD@Z";
#else
const char kSetDirectoryName[] = "?SetDirectory@@YAJPBD@Z";
#endif

struct Exports {
    ParsePathFn parsePath;
    SetDirectoryFn setDirectory;
    CalculateFn calculate;
    TwoTextsFn deleteSection;
    ThreeTextsFn deleteKey;
    TextFn checkReadOnly;
    BufferFn appDataDir;
    TextBufferFn lastModified;
    BufferFn timeNow;
    NoArgumentFn ort3dInstalled;
    TextWidthFn textWidth;
    ScrambleFn encrypt;
    ScrambleFn decrypt;
    BoxFn showSplash;
    NoArgumentFn removeSplash;
    BoxFn about;
};

template <typename F> bool Bind(HMODULE dll, const char *name, F &out) {
    out = reinterpret_cast<F>(reinterpret_cast<void *>(GetProcAddress(dll, name)));
    if (!out)
        std::printf("FAIL: export %s not found\n", name);
    return out != nullptr;
}

bool BindAll(HMODULE dll, Exports &e) {
    bool ok = true;
    ok &= Bind(dll, "ParsePath", e.parsePath);
    ok &= Bind(dll, kSetDirectoryName, e.setDirectory);
    ok &= Bind(dll, "CalculateTransformParams", e.calculate);
    ok &= Bind(dll, "DeleteINIFileSection", e.deleteSection);
    ok &= Bind(dll, "DeleteINIFileKey", e.deleteKey);
    ok &= Bind(dll, "CheckFileReadOnly", e.checkReadOnly);
    ok &= Bind(dll, "GetAllUserAppDataDir", e.appDataDir);
    ok &= Bind(dll, "GetLastModifiedDate", e.lastModified);
    ok &= Bind(dll, "GetTimeNow", e.timeNow);
    ok &= Bind(dll, "IsOrt3DInstalled", e.ort3dInstalled);
    ok &= Bind(dll, "GetTextWidth", e.textWidth);
    ok &= Bind(dll, "rv_encrypt", e.encrypt);
    ok &= Bind(dll, "rv_decrypt", e.decrypt);
    ok &= Bind(dll, "ShowSplashScreen", e.showSplash);
    ok &= Bind(dll, "RemoveSplashScreen", e.removeSplash);
    ok &= Bind(dll, "AboutOrtelan", e.about);
    return ok;
}

// Time spent in each export, for the figures at the end.
enum Export {
    kParsePath,
    kSetDirectory,
    kDeleteKey,
    kDeleteSection,
    kCheckReadOnly,
    kAppDataDir,
    kLastModified,
    kTimeNow,
    kOrt3dInstalled,
    kEncrypt,
    kDecrypt,
    kTextWidth,
    kCalculate,
    kShowSplash,
    kRemoveSplash,
    kAbout,
    kExportCount
};
const char *const kExportNames[kExportCount] = {"ParsePath",
                                                "SetDirectory",
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
struct Tally {
    unsigned long calls = 0;
    long long ticks = 0;
};
Tally g_tally[kExportCount];

DWORD CountHandles();

// During the first round, the handles each export leaves open are reported:
// a system component may keep one for the life of the process; a leak shows
// again on every later call.
bool g_traceHandles = false;

DWORD g_tracedHandles = 0;

template <typename F> long Timed(Export which, F call) {
    LARGE_INTEGER before, after;
    QueryPerformanceCounter(&before);
    const long result = call();
    QueryPerformanceCounter(&after);
    ++g_tally[which].calls;
    g_tally[which].ticks += after.QuadPart - before.QuadPart;
    if (g_traceHandles) {
        const DWORD handles = CountHandles();
        if (handles != g_tracedHandles)
            std::printf("first %s: %+ld handles\n", kExportNames[which],
                        long(handles) - long(g_tracedHandles));
        g_tracedHandles = handles;
    }
    return result;
}

struct Usage {
    SIZE_T privateUsage = 0;     // GetProcessMemoryInfo; Wine reports 0
    SIZE_T privateCommitted = 0; // committed private pages, by VirtualQuery
    DWORD handles = 0;
    DWORD gdiObjects = 0;
    DWORD userObjects = 0;
    int threadWindows = 0;
};

// Private bytes as Windows counts them: committed pages that are not shared.
// Used where GetProcessMemoryInfo gives no figure (Wine).
SIZE_T CommittedPrivateBytes() {
    SIZE_T total = 0;
    MEMORY_BASIC_INFORMATION region;
    const char *at = nullptr;
    while (VirtualQuery(at, &region, sizeof region) == sizeof region) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            total += region.RegionSize;
        const char *next = static_cast<const char *>(region.BaseAddress) + region.RegionSize;
        if (next <= at)
            break;
        at = next;
    }
    return total;
}

// Where GetProcessHandleCount gives 0 (Wine), the kernel handles are counted
// by asking about each of the first 1,023 handle values: Wine hands out the
// lowest free one, and this process holds a few dozen.
DWORD CountHandles() {
    DWORD count = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &count) && count)
        return count;
    for (ULONG_PTR value = 4; value < 0x1000; value += 4) {
        DWORD flags;
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    }
    return count;
}

// Where GetGuiResources gives 0 (Wine), the GDI objects are counted through
// the GDI handle table: Wine accepts a handle value without its generation
// bits, so every live entry answers GetObjectType.
DWORD CountGdiObjects() {
    DWORD count = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (count)
        return count;
    for (ULONG_PTR value = 1; value < 0x10000; ++value)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(value)))
            ++count;
    return count;
}

BOOL CALLBACK CountWindow(HWND, LPARAM count) {
    ++*reinterpret_cast<int *>(count);
    return TRUE;
}

Usage Measure() {
    Usage u;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&memory), sizeof memory))
        u.privateUsage = memory.PrivateUsage;
    u.privateCommitted = CommittedPrivateBytes();
    u.handles = CountHandles();
    u.gdiObjects = CountGdiObjects();
    u.userObjects = GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
    EnumThreadWindows(GetCurrentThreadId(), CountWindow,
                      reinterpret_cast<LPARAM>(&u.threadWindows));
    return u;
}

void PrintUsage(const char *when, const Usage &u) {
    std::printf("%-22s private bytes %llu (committed private %llu)  handles %lu  GDI objects %lu  "
                "USER objects %lu  thread windows %d\n",
                when, static_cast<unsigned long long>(u.privateUsage),
                static_cast<unsigned long long>(u.privateCommitted),
                static_cast<unsigned long>(u.handles), static_cast<unsigned long>(u.gdiObjects),
                static_cast<unsigned long>(u.userObjects), u.threadWindows);
}

// The About box is closed by the program: a hook sees its WM_INITDIALOG and
// posts OK to it. The splash screen's window is recorded the same way.
HWND g_lastDialog = nullptr;
bool g_closeNextDialog = false;

LRESULT CALLBACK WatchDialogs(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HC_ACTION) {
        const auto *message = reinterpret_cast<const CWPRETSTRUCT *>(lParam);
        if (message->message == WM_INITDIALOG) {
            g_lastDialog = message->hwnd;
            if (g_closeNextDialog) {
                g_closeNextDialog = false;
                PostMessageA(message->hwnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
            }
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

HWND CreateHostWindow() {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "OrtkSoakHost";
    RegisterClassA(&wc);
    // Shown, as a host's main window is: the splash screen gives it the
    // foreground when it closes.
    const HWND window = CreateWindowA("OrtkSoakHost", "ortk soak host", WS_OVERLAPPEDWINDOW, 0, 0,
                                      400, 300, nullptr, nullptr, wc.hInstance, nullptr);
    if (window) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    return window;
}

bool WriteText(const std::string &path, const char *text) {
    FILE *f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    const bool ok = std::fputs(text, f) >= 0;
    return std::fclose(f) == 0 && ok;
}

const char kPoints[] = "0 0 1000 2000\n10 0 1020 1995\n0 10 1005 2030\n"
                       "10 10 1025 2025\n5 5 1013.1 2011.3\n20 5 1042.5 2005\n";

// What each export gives on its first call; later calls must give the same.
struct Reference {
    double affine[6] = {};
    long width = 0, height = 0;
    char appData[MAX_PATH] = "";
    char modified[267] = "";
    long ort3d = 0;
};

struct Soak {
    Exports e;
    HWND host = nullptr;
    std::string folder, inner, points, report, ini;
    Reference first;
    unsigned long failures = 0;

    void Fail(unsigned long iteration, const char *what) {
        if (failures < 20)
            std::printf("FAIL at iteration %lu: %s\n", iteration, what);
        ++failures;
    }

    void Small(unsigned long i) {
        char drive[MAX_PATH] = "", dir[256] = "", name[256] = "", ext[256] = "";
        Timed(kParsePath, [&] {
            e.parsePath("C:\\data\\maps\\roads.tab", drive, dir, name, ext);
            return 0L;
        });
        if (std::strcmp(drive, "C:") || std::strcmp(dir, "\\data\\maps\\") ||
            std::strcmp(name, "roads") || std::strcmp(ext, ".tab"))
            Fail(i, "ParsePath");

        const char *target = i % 2 ? inner.c_str() : folder.c_str();
        if (Timed(kSetDirectory, [&] { return e.setDirectory(target); }) != 0)
            Fail(i, "SetDirectory");

        if (Timed(kDeleteKey, [&] { return e.deleteKey("Soak", "Key", ini.c_str()); }) != 1)
            Fail(i, "DeleteINIFileKey");
        if (Timed(kDeleteSection, [&] { return e.deleteSection("Soak", ini.c_str()); }) != 1)
            Fail(i, "DeleteINIFileSection");

        if (Timed(kCheckReadOnly, [&] { return e.checkReadOnly(points.c_str()); }) != 0)
            Fail(i, "CheckFileReadOnly");

        char appData[MAX_PATH] = "";
        if (Timed(kAppDataDir, [&] { return e.appDataDir(appData); }) != 0 ||
            std::strcmp(appData, first.appData))
            Fail(i, "GetAllUserAppDataDir");

        char modified[267] = "";
        if (Timed(kLastModified, [&] { return e.lastModified(points.c_str(), modified); }) != 1 ||
            std::strcmp(modified, first.modified))
            Fail(i, "GetLastModifiedDate");

        char now[255] = "";
        if (Timed(kTimeNow, [&] { return e.timeNow(now); }) != 1 || !now[0])
            Fail(i, "GetTimeNow");

        if (Timed(kOrt3dInstalled, [&] { return e.ort3dInstalled(); }) != first.ort3d)
            Fail(i, "IsOrt3DInstalled");

        unsigned char buffer[12];
        std::memcpy(buffer, "Tessaro soak", sizeof buffer);
        if (Timed(kEncrypt, [&] { return e.encrypt(buffer, sizeof buffer); }) != 1 ||
            !std::memcmp(buffer, "Tessaro soak", 12))
            Fail(i, "rv_encrypt");
        if (Timed(kDecrypt, [&] { return e.decrypt(buffer, sizeof buffer); }) != 1 ||
            std::memcmp(buffer, "Tessaro soak", 12))
            Fail(i, "rv_decrypt");
    }

    void Heavy(unsigned long i) {
        long width = -1, height = -1;
        if (Timed(kTextWidth,
                  [&] {
                      return e.textWidth(host, "Arial", 12, 1, "Ortelan soak text", &width,
                                         &height);
                  }) != 1 ||
            width != first.width || height != first.height)
            Fail(i, "GetTextWidth");

        long count = 0;
        double params[21] = {};
        const long type = i % 2 ? 2 : 3;
        if (Timed(kCalculate,
                  [&] {
                      return e.calculate(host, points.c_str(), type, &count, params, report.c_str(),
                                         0);
                  }) != 1 ||
            count != (type == 3 ? 6 : 4))
            Fail(i, "CalculateTransformParams");
        if (type == 3 && std::memcmp(params, first.affine, sizeof first.affine))
            Fail(i, "CalculateTransformParams coefficients");
    }

    void Boxes(unsigned long i) {
        g_lastDialog = nullptr;
        if (Timed(kShowSplash, [&] {
                return e.showSplash(host, "Ortelan", "1.0", "", "soak", "Veltrane");
            }) != 0)
            Fail(i, "ShowSplashScreen");
        const HWND splash = g_lastDialog;
        if (!splash || !IsWindowVisible(splash))
            Fail(i, "splash screen not shown");
        if (Timed(kRemoveSplash, [&] { return e.removeSplash(); }) != 0)
            Fail(i, "RemoveSplashScreen");
        if (splash && IsWindow(splash))
            Fail(i, "splash screen still open");

        g_lastDialog = nullptr;
        g_closeNextDialog = true;
        if (Timed(kAbout,
                  [&] { return e.about(host, "Ortelan", "1.0", "", "soak", "Veltrane"); }) != 0)
            Fail(i, "AboutOrtelan");
        if (!g_lastDialog || IsWindow(g_lastDialog))
            Fail(i, "About box not shown, or still open");
        g_closeNextDialog = false;
        Pump();
    }

    bool Setup() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "ortk-soak-" + std::to_string(GetCurrentProcessId());
        inner = folder + "\\inner";
        points = folder + "\\points.txt";
        report = folder + "\\residuals.txt";
        ini = folder + "\\soak.ini";
        CreateDirectoryA(folder.c_str(), nullptr);
        CreateDirectoryA(inner.c_str(), nullptr);
        if (!WriteText(points, kPoints) || !WriteText(ini, "[Soak]\r\nKey=1\r\n")) {
            std::printf("FAIL: cannot write the scratch files in %s\n", folder.c_str());
            return false;
        }
        host = CreateHostWindow();
        SetWindowsHookExA(WH_CALLWNDPROCRET, WatchDialogs, nullptr, GetCurrentThreadId());
        return host != nullptr;
    }

    // The first round: what each export gives, and the handles it leaves.
    bool First() {
        g_traceHandles = true;
        g_tracedHandles = CountHandles();
        long count = 0;
        double params[21] = {};
        const bool fitted =
            Timed(kCalculate, [&] {
                return e.calculate(host, points.c_str(), 3, &count, params, report.c_str(), 0);
            }) == 1;
        std::memcpy(first.affine, params, sizeof first.affine);
        const bool measured =
            Timed(kTextWidth,
                  [&] {
                      return e.textWidth(host, "Arial", 12, 1, "Ortelan soak text", &first.width,
                                         &first.height);
                  }) == 1 &&
            first.width > 0;
        const bool found = Timed(kAppDataDir, [&] { return e.appDataDir(first.appData); }) == 0;
        const bool dated = Timed(kLastModified, [&] {
                               return e.lastModified(points.c_str(), first.modified);
                           }) == 1;
        first.ort3d = Timed(kOrt3dInstalled, [&] { return e.ort3dInstalled(); });
        const bool ok = fitted && measured && found && dated;
        if (ok) {
            Small(0);
            Heavy(0);
            Boxes(0);
        }
        g_traceHandles = false;
        return ok && failures == 0;
    }

    // The last calls, checked for what they do and not only for their result.
    void Final(unsigned long i) {
        WritePrivateProfileStringA("Soak", "Key", "2", ini.c_str());
        WritePrivateProfileStringA("Other", "Key", "3", ini.c_str());
        char value[16] = "";
        if (e.deleteKey("Soak", "Key", ini.c_str()) != 1 ||
                GetPrivateProfileStringA("Soak", "Key", "gone", value, sizeof value, ini.c_str()),
            std::strcmp(value, "gone"))
            Fail(i, "last DeleteINIFileKey");
        if (e.deleteSection("Other", ini.c_str()) != 1 ||
                GetPrivateProfileStringA("Other", "Key", "gone", value, sizeof value, ini.c_str()),
            std::strcmp(value, "gone"))
            Fail(i, "last DeleteINIFileSection");
        if (e.setDirectory(inner.c_str()) != 0 || e.setDirectory("..") != 0) {
            Fail(i, "last SetDirectory");
        } else {
            char current[MAX_PATH] = "";
            GetCurrentDirectoryA(MAX_PATH, current);
            if (lstrcmpiA(current, folder.c_str()))
                Fail(i, "last SetDirectory did not reach its folder");
        }
        long count = 0;
        double params[21] = {};
        if (e.calculate(host, points.c_str(), 3, &count, params, report.c_str(), 0) != 1 ||
            std::fabs(params[0] - 1000.1391304347826) > 1e-9 || std::fabs(params[5] - 3.0) > 1e-9)
            Fail(i, "last CalculateTransformParams");
        Small(i);
        Heavy(i);
        Boxes(i);
    }
};

double Seconds(const LARGE_INTEGER &from, const LARGE_INTEGER &to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

} // namespace

int main(int argc, char **argv) {
    const unsigned long iterations = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 100000;
    const unsigned long warmup = 1000;
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    HMODULE dll = LoadLibraryA("ortk232.dll");
    Soak soak;
    if (!dll || !BindAll(dll, soak.e)) {
        std::printf("FAIL: cannot load ortk232.dll and its exports\n");
        return 1;
    }
    if (!soak.Setup())
        return 1;
    const Usage atStart = Measure();
    PrintUsage("before the first call:", atStart);
    if (!soak.First()) {
        std::printf("FAIL: the first calls did not succeed\n");
        return 1;
    }
    const Usage afterFirst = Measure();
    PrintUsage("after the first round:", afterFirst);

    Usage afterWarmup;
    for (unsigned long i = 0; i < iterations; ++i) {
        soak.Small(i);
        if (i % 5 == 0)
            soak.Heavy(i);
        if (i % 50 == 0)
            soak.Boxes(i);
        if (i + 1 == warmup) {
            afterWarmup = Measure();
            PrintUsage("after 1,000 rounds:", afterWarmup);
        }
        if ((i + 1) % 10000 == 0) {
            QueryPerformanceCounter(&now);
            std::printf("%lu rounds, %.1f s\n", i + 1, Seconds(start, now));
        }
    }
    soak.Final(iterations);
    Pump();
    const Usage atEnd = Measure();
    PrintUsage("after the last calls:", atEnd);
    QueryPerformanceCounter(&now);

    unsigned long total = 0;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    for (int k = 0; k < kExportCount; ++k) {
        const Tally &t = g_tally[k];
        total += t.calls;
        std::printf("  %-26s %7lu calls %8.2f s %9.1f us/call\n", kExportNames[k], t.calls,
                    double(t.ticks) / double(frequency.QuadPart),
                    t.calls ? 1e6 * double(t.ticks) / double(frequency.QuadPart) / t.calls : 0.0);
    }
    std::printf("calls: %lu in %.1f s\n", total, Seconds(start, now));

    bool ok = soak.failures == 0;
    const auto growth = [](SIZE_T from, SIZE_T to) {
        return static_cast<long long>(to) - static_cast<long long>(from);
    };
    const long long usageGrowth = growth(afterWarmup.privateUsage, atEnd.privateUsage);
    const long long committedGrowth = growth(afterWarmup.privateCommitted, atEnd.privateCommitted);
    std::printf("after the first 1,000 rounds: private bytes grew by %lld (GetProcessMemoryInfo), "
                "%lld (committed private pages)\n",
                usageGrowth, committedGrowth);
    if (iterations >= warmup) {
        if (afterWarmup.privateCommitted == 0 || committedGrowth >= 1024 * 1024 ||
            usageGrowth >= 1024 * 1024) {
            std::printf("FAIL: private bytes grew by 1 MB or more\n");
            ok = false;
        }
        // Measured from the first round on: the system keeps a few handles
        // open from its first use for the rest of the process.
        if (atEnd.handles != afterFirst.handles) {
            std::printf("FAIL: the handle count is not back where it was after the first "
                        "round\n");
            ok = false;
        }
        if (atEnd.gdiObjects > afterWarmup.gdiObjects ||
            atEnd.userObjects > afterWarmup.userObjects ||
            atEnd.threadWindows != atStart.threadWindows) {
            std::printf("FAIL: GDI objects, USER objects or windows grew\n");
            ok = false;
        }
    }
    soak.e.setDirectory("C:\\");
    DeleteFileA(soak.points.c_str());
    DeleteFileA(soak.report.c_str());
    DeleteFileA(soak.ini.c_str());
    RemoveDirectoryA(soak.inner.c_str());
    RemoveDirectoryA(soak.folder.c_str());
    std::printf("soak: %s (%lu failed calls)\n", ok ? "passed" : "FAILED", soak.failures);
    return ok ? 0 : 1;
}
