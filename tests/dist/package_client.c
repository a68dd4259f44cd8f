/* A user's program built against the unpacked package only: ortk232.h and an
   import library. It compiles as C and as C++, with MinGW and as an MSVC-format
   object (clang, no C runtime), and imports from ortk232.dll and kernel32.dll
   alone. Run from the package's root folder; exit status 0 when every check
   holds, 1 otherwise, with one line per check on standard output. */
#include "ortk232.h"

#ifdef __cplusplus
#define CLIENT_C extern "C"
#else
#define CLIENT_C
#endif

/* The few kernel32 services the client needs, declared here: the MSVC-format
   build has no Windows headers. */
CLIENT_C __declspec(dllimport) void *__stdcall GetStdHandle(unsigned long which);
CLIENT_C __declspec(dllimport) int __stdcall WriteFile(void *file, const void *data,
                                                       unsigned long size, unsigned long *written,
                                                       void *overlapped);
CLIENT_C __declspec(dllimport) void __stdcall ExitProcess(unsigned int status);

#ifdef _MSC_VER
/* Without a C runtime the compiler's own references must be satisfied here. */
CLIENT_C int _fltused = 0;
#endif

static int failures;

static unsigned long Length(const char *text) {
    unsigned long n = 0;
    while (text[n])
        ++n;
    return n;
}

static int Same(const char *a, const char *b) {
    while (*a && *a == *b)
        ++a, ++b;
    return *a == *b;
}

static void Print(const char *text) {
    unsigned long written = 0;
    WriteFile(GetStdHandle((unsigned long)-11), text, Length(text), &written, 0);
}

static void Check(int ok, const char *what) {
    Print(ok ? "ok   " : "FAIL ");
    Print(what);
    Print("\r\n");
    if (!ok)
        ++failures;
}

static int Near(double a, double b) {
    const double d = a - b;
    return d < 1e-9 && d > -1e-9;
}

static void CheckParsePath(void) {
    /* Filled by the call; no initialiser, which could need memset. */
    char drive[64], dir[256], name[256], ext[256];
    drive[0] = dir[0] = name[0] = ext[0] = 0;
    ParsePath("C:\\data\\maps\\roads.tab", drive, dir, name, ext);
    Check(Same(drive, "C:") && Same(dir, "\\data\\maps\\") && Same(name, "roads") &&
              Same(ext, ".tab"),
          "ParsePath splits C:\\data\\maps\\roads.tab");
}

/* SetDirectory binds to its decorated export through the header alone; the
   fit below then opens the example by a name relative to the new folder. */
static void CheckSetDirectoryAndFit(void) {
    static const double expected[6] = {
        1000.1391304347826, 1999.7217391304348, 1.9947826086956522, -0.4895652173913044, 0.5, 3.0};
    double params[20];
    long count = 0;
    long result;
    int i, close = 1;

    Check(SetDirectory("no such folder") == -1, "SetDirectory refuses a missing folder");
    Check(SetDirectory("examples") == 0, "SetDirectory enters examples");
    for (i = 0; i < 20; ++i)
        params[i] = -1.0;
    result =
        CalculateTransformParams(0, "affine-six.txt", 3, &count, params, "client-residuals.txt", 0);
    Check(result == 1 && count == 6, "CalculateTransformParams fits affine-six.txt (affine)");
    for (i = 0; i < 6; ++i)
        close = close && Near(params[i], expected[i]);
    Check(close && params[6] == -1.0, "the six affine coefficients, and nothing beyond them");
    Check(CalculateTransformParams(0, "missing.txt", 3, &count, params, "client-residuals.txt",
                                   0) == 0,
          "CalculateTransformParams fails on a missing file");
    Check(SetDirectory("..") == 0, "SetDirectory returns to the package folder");
}

static void CheckScrambling(void) {
    unsigned char buffer[3] = {'A', 'B', 'C'};
    unsigned char marked[2] = {'A', 180};
    Check(rv_encrypt(buffer, 2) == 1 && buffer[0] == 194 && buffer[1] == 208 && buffer[2] == 'C',
          "rv_encrypt scrambles AB into c2 d0");
    Check(rv_decrypt(buffer, 2) == 1 && buffer[0] == 'A' && buffer[1] == 'B',
          "rv_decrypt restores AB");
    Check(rv_decrypt(marked, 2) == 3 && marked[1] == 180, "rv_decrypt stops at byte 180");
    Check(rv_encrypt(0, 4) == 0, "rv_encrypt refuses a null buffer");
}

static int Run(void) {
    CheckParsePath();
    CheckSetDirectoryAndFit();
    CheckScrambling();
    Print(failures ? "client: FAILED\r\n" : "client: all checks passed\r\n");
    return failures ? 1 : 0;
}

#ifdef _MSC_VER
/* Entry point for lld-link /entry:ClientStart: no C runtime starts this one. */
CLIENT_C void __cdecl ClientStart(void) {
    ExitProcess((unsigned int)Run());
}
#else
int main(void) {
    return Run();
}
#endif
