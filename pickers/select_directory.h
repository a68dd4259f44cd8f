// The folder picker: dialog 114 with the drive list, the folder tree and a
// line that shows the current path.
#ifndef ORTK232_PICKERS_SELECT_DIRECTORY_H
#define ORTK232_PICKERS_SELECT_DIRECTORY_H

#include "pickers/drive_tree.h"

// Caption passed by the caller, cut to 259 characters.
extern char DialogTitle[kPickerPathSize];
// The dialog's current path: a drive root or the folder last opened.
extern char SelectedDirectory[kPickerPathSize];

INT_PTR CALLBACK SelectDirectoryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Writes the path line after a folder was opened: the full path when it
// fits, else the drive, "\...\" and the opened folder's name.
void ShowPathLine(const char *fullPath, HTREEITEM openedItem);

#endif
