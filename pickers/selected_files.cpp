#include "pickers/selected_files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "frame/handles.h"
#include "frame/message_box.h"
#include "pickers/select_tables.h"
#include "res/resource.h"

namespace {

// Reads a list box entry into a path buffer; false (and an empty text) when
// the entry would not fit.
bool GetListText(HWND list, int index, char (&text)[kPickerPathSize]) {
    text[0] = '\0';
    const LRESULT length = SendMessageA(list, LB_GETTEXTLEN, index, 0);
    if (length < 0 || length >= kPickerPathSize)
        return false;
    SendMessageA(list, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
    return true;
}

} // namespace

int AddFilesToList(HWND dialog) {
    HWND available = GetDlgItem(dialog, IDC_AVAILABLE_FILES);
    HWND selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    const LRESULT count = SendMessageA(available, LB_GETSELCOUNT, 0, 0);
    if (count < 1)
        return 0;
    ScopedMalloc<int> indices(static_cast<int *>(std::malloc(sizeof(int) * count)));
    if (!indices) {
        ShowStringMessage(dialog, IDS_NO_SELECTION_STORAGE, IDS_ADD_FILES_TO_LIST, MB_OK);
        return 0;
    }
    const LRESULT fetched =
        SendMessageA(available, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(indices.get()));
    bool refused = false;
    for (LRESULT i = 0; i < fetched; ++i) {
        char name[kPickerPathSize];
        if (!GetListText(available, indices.get()[i], name))
            continue;
        char path[kPickerPathSize];
        if (!ComposePickedPath(path, CurrentFolder, name)) {
            refused = true;
            continue;
        }
        CharLowerA(path);
        if (SendMessageA(selectedFiles, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(path)) == LB_ERR)
            SendMessageA(selectedFiles, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(path));
    }
    if (refused)
        MessageBeep(MB_ICONEXCLAMATION);
    return 1;
}

void RemoveFilesFromList(HWND dialog) {
    HWND selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    const LRESULT count = SendMessageA(selectedFiles, LB_GETSELCOUNT, 0, 0);
    if (count <= 0)
        return;
    ScopedMalloc<int> indices(static_cast<int *>(std::malloc(sizeof(int) * count)));
    if (!indices) {
        ShowStringMessage(dialog, IDS_NO_SELECTION_STORAGE, IDS_REMOVE_FILES_FROM_LIST, MB_OK);
        return;
    }
    const LRESULT fetched =
        SendMessageA(selectedFiles, LB_GETSELITEMS, count, reinterpret_cast<LPARAM>(indices.get()));
    // From the last index down, so that those not yet used stay valid.
    for (LRESULT i = fetched - 1; i >= 0; --i)
        SendMessageA(selectedFiles, LB_DELETESTRING, indices.get()[i], 0);
}

void ResetSelectedFiles(HWND dialog) {
    SendDlgItemMessageA(dialog, IDC_SELECTED_FILES, LB_RESETCONTENT, 0, 0);
}

int WriteSelectedFileNamesToStorage(HWND dialog) {
    ScopedFile file(std::fopen(ListFile, "w"));
    if (!file) {
        ShowStringMessage(dialog, IDS_CANNOT_CREATE_LIST_FILE, IDS_WRITE_SELECTED_FILE_NAMES,
                          MB_OK);
        return 0;
    }
    HWND selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    const LRESULT count = SendMessageA(selectedFiles, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char entry[kPickerPathSize];
        if (GetListText(selectedFiles, static_cast<int>(i), entry))
            std::fprintf(file.get(), "%s\n", entry);
    }
    return 1;
}
