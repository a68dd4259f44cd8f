// Plays the user of a picker dialog while the export that shows it runs, and
// reads back what the dialog's controls show.
#ifndef ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H
#define ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H

#include <windows.h>

#include <commctrl.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/frame/captured_messages.h"

// A top-level window of the test's own, passed as the host's window.
HWND TestOwner();
// Makes m:\ current, then calls show (which opens a modal dialog) while user
// acts on the dialog; a dialog left open is cancelled.
void Drive(const std::function<void(HWND)> &user, const std::function<void()> &show);
// A tree item's text; with state, its depth before it, "(open)" or
// "(closed)" for its image and "+" when expanded after it.
std::string ItemText(HWND tree, HTREEITEM item, bool state);
// Double-clicks one folder after the other of a path ("m:\\maps\\", or one
// below the open folder), as a person would; "x:" picks a drive instead.
void Open(HWND dialog, const std::string &path);
// The test tree's deepest folder, 250 characters with m:\.
std::string DeepPath();
// The name of m:'s folder of 240 characters, as the tree shows it.
std::string LongName();
// The count of entries of a list or combo box, then a list box's first and
// last entries or every entry of a combo box, the selection marked "*" and
// the item data, when set, after each.
std::string Entries(HWND dialog, int id);
// Selects exactly these entries of a list box.
void Select(HWND dialog, int list, const std::vector<int> &indices);
// Checks that exactly one message was shown: the warning that a drive is not
// available, owned by the host's window.
void ExpectOneDriveWarning(const MessageCapture &capture);
// Sends the control's notification (a click by default) to the dialog.
void Notify(HWND dialog, int id, WORD code = BN_CLICKED);

#endif
