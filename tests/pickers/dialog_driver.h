// Plays the user of a picker dialog from a helper thread while the export
// that shows it runs modally on the test's thread, and reads back what the
// dialog's controls show.
#ifndef ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H
#define ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/frame/captured_messages.h"

using Lines = std::vector<std::string>;

// A top-level window of the test's own, passed as the host's window.
HWND TestOwner();
// Makes m:\ current, then calls show (which opens a modal dialog) while user
// acts on the dialog with the caption; a dialog left open is cancelled.
void Drive(const std::string &caption, const std::function<void(HWND)> &user,
           const std::function<void()> &show);
// Tree items (id 1013) in display order: two spaces per level, the text,
// "(open)" or "(closed)" for the image and "+" when expanded.
Lines TreeLines(HWND dialog);
// Double-clicks one folder after the other of a path ("m:\\maps\\", or one
// below the open folder), as a person would; "x:" picks a drive instead.
void Open(HWND dialog, const std::string &path);
// The test tree's deepest folder, 250 characters with m:\.
std::string DeepPath();
// The entries of a list or combo box; a combo box's selection marked "*".
Lines Items(HWND dialog, int id);
// Selects exactly these entries of a list box.
void Select(HWND dialog, int list, const std::vector<int> &indices);
// Checks that exactly one message was shown: the warning that a drive is not
// available, owned by the host's window.
void ExpectOneDriveWarning(const MessageCapture &capture);
// Sends the control's notification (a click by default) to the dialog.
void Notify(HWND dialog, int id, WORD code = BN_CLICKED);

#endif
