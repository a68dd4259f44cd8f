// Message boxes of the library, with a seam through which tests capture what
// would be shown instead of opening a real box.
#ifndef ORTK232_FRAME_MESSAGE_BOX_H
#define ORTK232_FRAME_MESSAGE_BOX_H

#include <windows.h>

using MessageBoxFunction = int(WINAPI *)(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Replaces MessageBoxA for every box the library shows; null restores it.
void SetMessageBoxFunction(MessageBoxFunction function);

int ShowLibraryMessageBox(HWND owner, const char *text, const char *caption, UINT flags);

// Loads a string of the library into a 256-byte buffer (cut to 255 characters).
void LoadLibraryString(UINT id, char (&buffer)[256]);

// Shows string-table text and caption, owned by the given window.
void ShowStringMessage(HWND owner, UINT textId, UINT captionId, UINT flags);

#endif
