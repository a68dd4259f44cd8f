// Drives a picker dialog from a helper thread while the export that shows it
// runs modally on the test's thread: finds the dialog, acts on its controls
// as a person would, and reads back what they show.
#ifndef ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H
#define ORTK232_TESTS_PICKERS_DIALOG_DRIVER_H

#include <windows.h>

#include "tests/frame/captured_messages.h"
#include "tests/frame/file_bytes.h"

#include <commctrl.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

// A top-level window of the test's own, on the test's thread, passed as the
// host's window.
HWND TestOwner();

// Runs the script on a helper thread as soon as a dialog with the caption is
// shown, then cancels the dialog if the script left it open. The destructor
// waits for the helper.
class DialogDriver {
  public:
    DialogDriver(const char *caption, std::function<void(HWND dialog)> script);
    ~DialogDriver();
    DialogDriver(const DialogDriver &) = delete;
    DialogDriver &operator=(const DialogDriver &) = delete;
    bool found() const { return found_; }

  private:
    std::thread thread_;
    std::atomic<bool> found_{false};
};

// Tree items in display order, one per item: two spaces per level, the text,
// and "(open)" or "(closed)" for the image; "+" after it when expanded.
std::vector<std::string> TreeLines(HWND tree);
HTREEITEM FindTreeItem(HWND tree, const std::string &text);
// Selects the item and double-clicks its label.
bool DoubleClickFolder(HWND dialog, const std::string &text);
// Opens each folder of a chain in turn, starting below the root.
bool OpenFolders(HWND dialog, const std::vector<std::string> &chain);

bool ChooseDrive(HWND dialog, const char *drive);
std::vector<std::string> ListItems(HWND list);
std::vector<std::string> ComboItems(HWND combo);
std::string ComboSelection(HWND combo);
void SelectListItems(HWND list, const std::vector<int> &indices);
// Selects one list item and double-clicks it.
void DoubleClickListItem(HWND list, int index);
void ClickButton(HWND dialog, int id);
// Presses Escape in the control that has the focus.
void PressEscape(HWND dialog);

// Reads a whole file in binary; "<missing>" when it cannot be opened.

// One control of a dialog template: where and what it should be.
struct TemplateControl {
    int id;
    const char *className;
    const char *text;
    int x, y, width, height; // dialog units
    DWORD style;             // besides WS_CHILD and WS_VISIBLE
    DWORD exStyle;
    bool visible;
};
// Compares the shown dialog's controls, in z-order, with the rows (class, id,
// text, visibility, position and size); returns one line per difference.
std::vector<std::string> CompareControls(HWND dialog, const std::vector<TemplateControl> &rows);

// Compares a dialog template resource with the rows exactly (styles, text,
// dialog units); returns one line per difference.
std::vector<std::string> CompareTemplate(HINSTANCE module, int id,
                                         const std::vector<TemplateControl> &rows);

#endif
