// The Selected Files list of the multiple table picker and the list file it
// is written to on "Open". Each operation takes the dialog's window.
#ifndef ORTK232_PICKERS_SELECTED_FILES_H
#define ORTK232_PICKERS_SELECTED_FILES_H

#include <windows.h>

// Adds the full paths of the files selected in the available-files list, in
// lower case, skipping those already listed. Returns 0 when nothing was
// selected or no memory was had, else 1.
int AddFilesToList(HWND dialog);

// Removes the selected entries of the Selected Files list.
void RemoveFilesFromList(HWND dialog);

// Empties the Selected Files list.
void ResetSelectedFiles(HWND dialog);

// Writes the entries to ListFile, one a line (CR LF). Returns 0, after a
// message, when the file cannot be created.
int WriteSelectedFileNamesToStorage(HWND dialog);

#endif
