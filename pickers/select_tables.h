// The multiple table picker: dialog 115 with the drive list, the folder tree,
// the files of the current folder that match the chosen type, the Selected
// Files list and the preferred view.
#ifndef ORTK232_PICKERS_SELECT_TABLES_H
#define ORTK232_PICKERS_SELECT_TABLES_H

#include "pickers/drive_tree.h"

// 4 lists the host's tables, any other value its interchange files.
extern long FileKind;
constexpr long kTableKind = 4;
// Path of the list file that "Open" writes.
extern char ListFile[kPickerPathSize];
// The view chosen at the last "Open" of the process (1 to 5), or 0.
extern long PreferredView;
// The dialog's current path: a drive root or the folder last opened.
extern char CurrentFolder[kPickerPathSize];
// Wildcard patterns, one entry or several joined by ";", of 255 characters at
// most; the type list's selection picks the entry in use.
extern char **FilePatterns;
extern int FilterIndex;

INT_PTR CALLBACK SelectMultipleTablesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Refills the available-files list with the names in CurrentFolder that match
// the pattern entry in use.
void ListAvailableFiles();

// Adds the lower-case names matching one pattern; returns the longest name
// length so far.
int AddMatchingFiles(HWND availableFiles, const char *pattern, int longest);

#endif
