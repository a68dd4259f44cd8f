// Plays the user of a picker dialog from a helper thread while the export
// that shows it runs modally on the test's thread, and reads back what the
// dialog's controls show.
#ifndef ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H
#define ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H

#include <windows.h>

#include "tests/frame/captured_messages.h"
#include "tests/frame/file_bytes.h"

#include <functional>
#include <string>
#include <vector>

using Lines = std::vector<std::string>;

// A top-level window of the test's own, passed as the host's window.
HWND TestOwner();

// Calls show (which opens a modal dialog) while user acts on the dialog with
// the caption as soon as it is visible; the dialog is cancelled should user
// leave it open. Returns whether the dialog was found.
bool Drive(const std::string &caption, const std::function<void(HWND)> &user,
           const std::function<void()> &show);

// Tree items (id 1013) in display order: two spaces per level, the text,
// "(open)" or "(closed)" for the image and "+" when expanded.
Lines TreeLines(HWND dialog);
// Selects a folder of the tree and double-clicks its label.
void OpenFolder(HWND dialog, const std::string &text);
// Picks a drive in the drive list (id 1012) as a person would.
void ChooseDrive(HWND dialog, const char *drive);
// The entries of a list box or a combo box; a combo box's selection is
// marked with "*".
Lines Items(HWND dialog, int id);
void SelectItems(HWND dialog, int id, const std::vector<int> &indices);
void DoubleClickItem(HWND dialog, int id, int index);
void Click(HWND dialog, int id);

// One control of a dialog, in z-order: id, class, text, rectangle in dialog
// units and style (WS_CHILD left out).
struct ControlRow {
    int id;
    const char *className;
    const char *text;
    int x, y, width, height;
    DWORD style;
};
// One line per difference between the dialog's controls and the rows.
Lines CompareControls(HWND dialog, const std::vector<ControlRow> &rows);

#endif
