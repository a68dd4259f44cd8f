/* ortk232.dll: exports of the Ortelan support library.
   Every export is cdecl, takes 8-bit ANSI texts and returns a 32-bit long
   (ParsePath returns nothing). Link with libortk232.dll.a (MinGW) or
   ortk232.lib (MSVC). The header needs no Windows header: it compiles as C
   and as C++, before or after <windows.h>. */
#ifndef ORTK232_H
#define ORTK232_H

/* A window handle as <windows.h> declares it (a repeated identical typedef
   is allowed in C11 and C++). */
#ifndef _WINDEF_
struct HWND__;
typedef struct HWND__ *HWND;
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Paths */
void __cdecl ParsePath(const char *path, char *drive, char *dir, char *name, char *ext);

/* Transform fitting */
long __cdecl CalculateTransformParams(HWND hwndOwner, const char *controlPointsFile,
                                      long transformType, long *paramCount, double *params,
                                      const char *residualsFile, long showMessages);

/* File, time, INI, text width and scrambling */
long __cdecl DeleteINIFileSection(const char *section, const char *file);
long __cdecl DeleteINIFileKey(const char *section, const char *key, const char *file);
long __cdecl CheckFileReadOnly(const char *path);
long __cdecl GetAllUserAppDataDir(char *buffer);               /* buffer: at least 260 bytes */
long __cdecl GetLastModifiedDate(const char *path, char *out); /* out: 267 bytes */
long __cdecl GetTimeNow(char *out);                            /* out: at least 255 bytes */
long __cdecl IsOrt3DInstalled(void);
long __cdecl GetTextWidth(HWND window, const char *faceName, long pointSize, long style,
                          const char *text, long *width, long *height);
long __cdecl rv_encrypt(unsigned char *buffer, long length);
long __cdecl rv_decrypt(unsigned char *buffer, long length);

/* Pickers */
long __cdecl SelectDirectory(HWND hwndOwner, const char *title, char *directory, long size);
long __cdecl SelectMultipleTables(HWND hwndOwner, long kind, const char *listFile, long *view);

/* Splash screen and About box */
long __cdecl ShowSplashScreen(HWND owner, const char *productName, const char *version,
                              const char *unused, const char *userName, const char *organisation);
long __cdecl RemoveSplashScreen(void);
long __cdecl AboutOrtelan(HWND owner, const char *productName, const char *version,
                          const char *unused, const char *userName, const char *organisation);

#ifdef __cplusplus
}
#endif

/* SetDirectory is exported only under the name MSVC gives the C++ function
   long SetDirectory(const char *): ?SetDirectory@@YAJPBD@Z in the 32-bit DLL,
   ?SetDirectory@@YAJPEBD@Z in the 64-bit one. Each compiler is led to it:
   MSVC C++ by that declaration, MSVC C through a linker alias of its plain
   symbol, gcc and clang in MinGW mode (which decorate C++ names their own
   way) by naming the symbol outright. */
#if defined(_WIN64)
#define ORTK232_SETDIRECTORY_SYMBOL "?SetDirectory@@YAJPEBD@Z"
#else
#define ORTK232_SETDIRECTORY_SYMBOL "?SetDirectory@@YAJPBD@Z"
#endif
#if defined(_MSC_VER) && defined(__cplusplus)
long __cdecl SetDirectory(const char *path);
#elif defined(_MSC_VER)
#if defined(_WIN64)
#pragma comment(linker, "/alternatename:SetDirectory=" ORTK232_SETDIRECTORY_SYMBOL)
#else
#pragma comment(linker, "/alternatename:_SetDirectory=" ORTK232_SETDIRECTORY_SYMBOL)
#endif
long __cdecl SetDirectory(const char *path);
#elif defined(__clang__)
long __cdecl SetDirectory(const char *path) __asm__(ORTK232_SETDIRECTORY_SYMBOL);
#elif defined(__GNUC__)
/* GNU as reads a symbol holding '?' or '@' only in quotes. */
long __cdecl SetDirectory(const char *path) __asm__("\"" ORTK232_SETDIRECTORY_SYMBOL "\"");
#endif

#endif
