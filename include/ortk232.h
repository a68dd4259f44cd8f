/* ortk232.dll: exports of the Ortelan support library.
   Every export is cdecl, takes 8-bit ANSI texts and returns a 32-bit long
   (ParsePath returns nothing). Link with libortk232.dll.a. */
#ifndef ORTK232_H
#define ORTK232_H

#include <windows.h>

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

/* Exported under its decorated name only (?SetDirectory@@YAJPBD@Z in the
   32-bit DLL), so it is declared with C++ linkage. Callers whose compiler
   decorates differently bind it with GetProcAddress and that name. */
#if defined(_MSC_VER)
long __cdecl SetDirectory(const char *path);
#endif
#endif

#endif
