// The modal About box.
#ifndef ORTK232_SPLASH_ABOUT_BOX_H
#define ORTK232_SPLASH_ABOUT_BOX_H

#include <windows.h>

extern "C" long __cdecl AboutOrtelan(HWND owner, const char *productName, const char *version,
                                     const char *unused, const char *userName,
                                     const char *organisation);

#endif
