// What the pickers decide about texts and paths, apart from the controls
// that show them: drive texts and which drives are listed, the paths of
// opened folders and picked files, search patterns, the folder picker's path
// line and results. Portable: no Windows headers.
#ifndef ORTK232_PICKERS_PICKER_PATHS_H
#define ORTK232_PICKERS_PICKER_PATHS_H

#include <cstddef>

// Paths and item texts are held in buffers of this size: at most 259
// characters and the terminating NUL.
constexpr int kPickerPathSize = 260;
using PickerPath = char[kPickerPathSize];

// The six picker icons in the order they are loaded and deleted.
enum PickerIcon {
    kRemovableDriveIcon,
    kFixedDriveIcon,
    kCdromDriveIcon,
    kNetworkDriveIcon,
    kOpenFolderIcon,
    kClosedFolderIcon,
    kPickerIconCount
};

// The icons are square, of this many pixels a side.
constexpr int kPickerIconSize = 16;

// Where a drive list item's parts are drawn, in the item's device context:
// the text after the icon's room, centred on the item's height, one pixel
// higher (textTop); the icon two pixels into the first base unit, one pixel
// below the item's top. baseUnitX is the low word of the dialog base units.
struct DriveItemLayout {
    int textLeft, textTop, iconLeft, iconTop;
};
DriveItemLayout LayOutDriveItem(int itemTop, int itemBottom, int textHeight, int baseUnitX);

// The height of a drive list item: the height asked for, at least 18 pixels.
unsigned DriveItemHeight(unsigned requested);

// The icon drawn for a drive type code: removable, remote and CD-ROM drives
// have their own; fixed disks, RAM disks and any other kind the fixed disk's.
PickerIcon IconForDriveType(unsigned driveType);

// Whether a drive of this type code is listed: every kind but 0 (unknown) and
// 1 (no root folder).
bool IsListedDriveType(unsigned driveType);

// "c:" and "c:\" for drive 3 (1 = A: ... 26 = Z:).
void FormatDriveText(int drive, char (&text)[4]);
void FormatDriveRoot(int drive, PickerPath &root);

// The drive (1..26) that a drive list text names, or 0.
int DriveOfText(const char *text);

// Whether a found entry, by its attribute bits and name, is a subfolder that
// the tree lists: a folder other than "." and "..", hidden ones included.
bool IsListedSubfolder(unsigned long attributes, const char *name);

// Appends text to path, and a backslash after it unless it ends in one. The
// path of an opened folder is built from the tree's texts this way, root
// first. False, leaving path as it was, when the result would not fit.
bool AppendFolder(PickerPath &path, const char *text);

// folder, a backslash unless it ends in one, and the first pieceLength
// characters of piece: the search pattern for files or subfolders of folder.
// False when it would not fit.
bool ComposeSearchPattern(PickerPath &pattern, const char *folder, const char *piece,
                          std::size_t pieceLength);

// Calls visit with the search pattern of folder and each ";"-separated piece
// of patterns, in order. A pattern that would not fit is skipped: no name in
// such a folder could be picked anyway. Returns the number of patterns
// visited.
int ForEachSearchPattern(const char *folder, const char *patterns,
                         void (*visit)(const char *pattern, void *context), void *context);

// folder followed by name: the Selected Files entry for a picked file. False,
// leaving path empty, when the whole would not fit: such a file is refused,
// never cut.
bool ComposePickedPath(PickerPath &path, const char *folder, const char *name);

// The folder picker's path line: the full path when the line can show
// capacity characters of it, else the drive text, "\...\" and the opened
// folder's name.
void ComposePathLine(char *line, std::size_t size, const char *fullPath, long capacity,
                     const char *driveText, const char *openedName);

// Copies selected into the caller's buffer of size characters and a NUL,
// cut to size; returns the full length, which is SelectDirectory's result.
long CopyPickedDirectory(char *directory, long size, const char *selected);

// SelectMultipleTables' result for the dialog's end code: 1 confirmed, 0
// cancelled or the list file not written, -1 the dialog did not start.
long TablesResult(long long dialogCode);

// The wildcard entries of the table picker's type list for a kind (4: the
// host's tables, six entries; anything else: interchange files, one).
const char *const *FilePatternsFor(long kind, int *count);

#endif
