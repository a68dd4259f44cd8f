#include "pickers/selected_files.h"

#include <windowsx.h>

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
    const int length = ListBox_GetTextLen(list, index);
    if (length < 0 || length >= kPickerPathSize)
        return false;
    ListBox_GetText(list, index, text);
    return true;
}

} // namespace

int AddFilesToList(HWND dialog) {
    HWND available = GetDlgItem(dialog, IDC_AVAILABLE_FILES);
    HWND selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    const int count = ListBox_GetSelCount(available);
    if (count < 1)
        return 0;
    ScopedMalloc<int> indices(static_cast<int *>(std::malloc(sizeof(int) * count)));
    if (!indices) {
        ShowStringMessage(dialog, IDS_NO_SELECTION_STORAGE, IDS_ADD_FILES_TO_LIST, MB_OK);
        return 0;
    }
    const int fetched = ListBox_GetSelItems(available, count, indices.get());
    bool refused = false;
    for (int i = 0; i < fetched; ++i) {
        char name[kPickerPathSize];
        if (!GetListText(available, indices.get()[i], name))
            continue;
        char path[kPickerPathSize];
        if (!ComposePickedPath(path, CurrentFolder, name)) {
            refused = true;
            continue;
        }
        CharLowerA(path);
        if (ListBox_FindStringExact(selectedFiles, -1, path) == LB_ERR)
            ListBox_AddString(selectedFiles, path);
    }
    if (refused)
        MessageBeep(MB_ICONEXCLAMATION);
    return 1;
}

void RemoveFilesFromList(HWND dialog) {
    HWND selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    const int count = ListBox_GetSelCount(selectedFiles);
    if (count <= 0)
        return;
    ScopedMalloc<int> indices(static_cast<int *>(std::malloc(sizeof(int) * count)));
    if (!indices) {
        ShowStringMessage(dialog, IDS_NO_SELECTION_STORAGE, IDS_REMOVE_FILES_FROM_LIST, MB_OK);
        return;
    }
    const int fetched = ListBox_GetSelItems(selectedFiles, count, indices.get());
    // From the last index down, so that those not yet used stay valid.
    for (int i = fetched - 1; i >= 0; --i)
        ListBox_DeleteString(selectedFiles, indices.get()[i]);
}

void ResetSelectedFiles(HWND dialog) {
    ListBox_ResetContent(GetDlgItem(dialog, IDC_SELECTED_FILES));
}

int WriteSelectedFileNamesToStorage(HWND dialog) {
    ScopedFile file(std::fopen(ListFile, "w"));
    if (!file) {
        ShowStringMessage(dialog, IDS_CANNOT_CREATE_LIST_FILE, IDS_WRITE_SELECTED_FILE_NAMES,
                          MB_OK);
        return 0;
    }
    HWND selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    const int count = ListBox_GetCount(selectedFiles);
    for (int i = 0; i < count; ++i) {
        char entry[kPickerPathSize];
        if (GetListText(selectedFiles, i, entry))
            std::fprintf(file.get(), "%s\n", entry);
    }
    return 1;
}
