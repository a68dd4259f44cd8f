#include "pickers/select_directory.h"

#include <windowsx.h>

#include <cstring>

#include "frame/app.h"
#include "frame/export_guard.h"
#include "frame/handles.h"
#include "frame/messages.h"
#include "ortk232.h"
#include "res/resource.h"

char DialogTitle[kPickerPathSize] = "";
char SelectedDirectory[kPickerPathSize] = "";

namespace {

struct DirectoryDialog {
    HWND driveList;
    HWND tree;
    HWND pathLine;
    DriveNavigation navigation;
};
DirectoryDialog g_dialog = {};

void WarnDriveNotAvailable() {
    ShowMessage(IDS_DRIVE_NOT_AVAILABLE, IDS_WARNING, kMessageWarningIcon);
}

void ShowRoot(int drive) {
    FormatDriveRoot(drive, SelectedDirectory);
    SetWindowTextA(g_dialog.pathLine, SelectedDirectory);
}

BOOL OnInitDialog(HWND dialog) {
    SetWindowTextA(dialog, DialogTitle);
    g_dialog.driveList = GetDlgItem(dialog, IDC_DRIVE_LIST);
    g_dialog.tree = GetDlgItem(dialog, IDC_FOLDER_TREE);
    g_dialog.pathLine = GetDlgItem(dialog, IDC_PATH_LINE);
    if (!LoadPickerIcons()) {
        EndDialog(dialog, -1);
        return TRUE;
    }
    FillDriveList(g_dialog.driveList, g_dialog.navigation);
    SetFolderImageList(g_dialog.tree);
    ShowDriveInTree(g_dialog.tree, g_dialog.navigation.startDrive);
    ShowRoot(g_dialog.navigation.startDrive);
    SetFocus(g_dialog.driveList);
    return FALSE;
}

BOOL OnCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK: EndDialog(dialog, 1); return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_DRIVE_LIST:
        if (code == CBN_SELENDOK) {
            if (const int drive = ChangeDrive(g_dialog.driveList, g_dialog.tree,
                                              g_dialog.navigation, WarnDriveNotAvailable))
                ShowRoot(drive);
        }
        return TRUE;
    default: return FALSE;
    }
}

void OnTreeDoubleClick() {
    HTREEITEM item = TreeView_GetSelection(g_dialog.tree);
    char path[kPickerPathSize];
    if (OpenTreeFolder(g_dialog.tree, path)) {
        ShowPathLine(path, item);
        std::memcpy(SelectedDirectory, path, sizeof SelectedDirectory);
    }
}

} // namespace

void ShowPathLine(const char *fullPath, HTREEITEM openedItem) {
    TEXTMETRICA metrics = {};
    {
        ScopedGetDC dc(g_dialog.pathLine);
        if (dc)
            GetTextMetricsA(dc.get(), &metrics);
    }
    RECT client = {};
    GetClientRect(g_dialog.pathLine, &client);
    const long capacity = metrics.tmAveCharWidth > 0 ? client.right / metrics.tmAveCharWidth : 0;
    PickerPath drive, name;
    GetDriveText(g_dialog.driveList, ComboBox_GetCurSel(g_dialog.driveList), drive);
    GetTreeItemText(g_dialog.tree, openedItem, name);
    // The drive, "\...\" and a name of at most 259 characters.
    char line[kPickerPathSize + 16];
    ComposePathLine(line, sizeof line, fullPath, capacity, drive, name);
    SetWindowTextA(g_dialog.pathLine, line);
}

INT_PTR CALLBACK SelectDirectoryProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_MEASUREITEM: return MeasureDriveItem(reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
    case WM_DRAWITEM: return DrawDriveItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header->idFrom == IDC_FOLDER_TREE && header->code == static_cast<UINT>(NM_DBLCLK))
            OnTreeDoubleClick();
        // Answered 0: the tree's own double-click handling then expands the
        // opened folder.
        return FALSE;
    }
    case WM_DESTROY:
        DeleteFolderImageList(g_dialog.tree);
        DeletePickerIcons();
        g_dialog = DirectoryDialog{};
        return FALSE;
    default: return FALSE;
    }
}

extern "C" long __cdecl SelectDirectory(HWND hwndOwner, const char *title, char *directory,
                                        long size) {
    return RunExport(-1L, [&]() -> long {
        g_ownerWindow = hwndOwner;
        if (directory == nullptr)
            return -1;
        InitCommonControls();
        lstrcpynA(DialogTitle, title != nullptr ? title : "", sizeof DialogTitle);
        const INT_PTR result =
            DialogBoxParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_SELECT_DIRECTORY), hwndOwner,
                            SelectDirectoryProc, 0);
        if (result == 0 || result == -1) {
            directory[0] = '\0';
            return result == 0 ? 0 : -1;
        }
        return CopyPickedDirectory(directory, size, SelectedDirectory);
    });
}
