// The drive list and folder tree shared by the folder picker and the multiple
// table picker: the icons, the owner-drawn drive combo box, and a tree that
// holds the drive root, the chain of opened folders and the subfolders of the
// last one.
#ifndef ORTK232_PICKERS_DRIVE_TREE_H
#define ORTK232_PICKERS_DRIVE_TREE_H

#include <windows.h>

#include <commctrl.h>

#include "pickers/picker_paths.h"

// Colour and mask bitmaps of the 16x16 images of the picker icons. One set per
// process: both pickers are modal, so only one of them uses it at a time.
struct PickerIconBitmaps {
    HBITMAP color[kPickerIconCount];
    HBITMAP mask[kPickerIconCount];
};
extern PickerIconBitmaps PickerIcons;

// Indices of the two folder images in the tree's image list.
extern int ClosedFolderImage;
extern int OpenFolderImage;

// What a picker remembers about its drives while it is open.
struct DriveNavigation {
    int startDrive; // 1 = A: ... 26 = Z:, current when the dialog opened
    int shownIndex; // drive list index of the drive the tree shows
};

// Shows the "drive not available" warning, owned by the export's caller.
using DriveWarning = void (*)();

int LoadPickerIcons();
void DeletePickerIcons();
int SetFolderImageList(HWND tree);
// Detaches the tree's image list and destroys it, when the dialog closes.
void DeleteFolderImageList(HWND tree);
void FillDriveList(HWND driveList, DriveNavigation &navigation);
BOOL MeasureDriveItem(MEASUREITEMSTRUCT *measure);
BOOL DrawDriveItem(const DRAWITEMSTRUCT *draw);
int ShowDriveInTree(HWND tree, int drive);
HTREEITEM AddFolderToTree(HWND tree, const char *name, HTREEITEM parent);
int AddSubfoldersToTree(HWND tree, const char *folderPath, HTREEITEM parent);

// Answers the drive list's CBN_SELENDOK: returns the drive now shown (1..26),
// or 0 when the drive could not be made current and nothing changed.
int ChangeDrive(HWND driveList, HWND tree, DriveNavigation &navigation, DriveWarning warn);

// Answers the tree's NM_DBLCLK: opens the selected folder and writes its path
// (lower case, final backslash) into path. Returns false when the folder could
// not be entered, or its path would not fit in 259 characters; path is then
// untouched.
bool OpenTreeFolder(HWND tree, char (&path)[kPickerPathSize]);

// The text of a tree item, or of a drive list entry; empty when the entry is
// missing or its text would not fit.
void GetTreeItemText(HWND tree, HTREEITEM item, char (&text)[kPickerPathSize]);
void GetDriveText(HWND driveList, int index, char (&text)[kPickerPathSize]);

#endif
