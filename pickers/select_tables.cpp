#include "pickers/select_tables.h"

#include <windowsx.h>

#include <cstdlib>
#include <cstring>

#include "frame/app.h"
#include "frame/export_guard.h"
#include "frame/handles.h"
#include "frame/message_box.h"
#include "ortk232.h"
#include "pickers/selected_files.h"
#include "res/resource.h"

long FileKind = 0;
char ListFile[kPickerPathSize] = "";
long PreferredView = 0;
char CurrentFolder[kPickerPathSize] = "";
char **FilePatterns = nullptr;
int FilterIndex = 0;

namespace {

constexpr int kPatternSize = 256;

struct TablesDialog {
    HWND driveList;
    HWND tree;
    HWND availableFiles;
    HWND selectedFiles;
    DriveNavigation navigation;
    int patternCount;
    int averageCharWidth; // of the available-files list
};
TablesDialog g_dialog = {};

void ReleaseFilePatterns() {
    if (FilePatterns != nullptr)
        std::free(FilePatterns[0]);
    std::free(FilePatterns);
    FilePatterns = nullptr;
}

bool BuildFilePatterns() {
    int count = 0;
    const char *const *source = FilePatternsFor(FileKind, &count);
    FilePatterns = static_cast<char **>(std::malloc(sizeof(char *) * count));
    if (FilePatterns == nullptr)
        return false;
    char *block = static_cast<char *>(std::malloc(kPatternSize * count));
    if (block == nullptr) {
        std::free(FilePatterns);
        FilePatterns = nullptr;
        return false;
    }
    for (int i = 0; i < count; ++i) {
        FilePatterns[i] = block + i * kPatternSize;
        lstrcpynA(FilePatterns[i], source[i], kPatternSize);
    }
    g_dialog.patternCount = count;
    return true;
}

int AverageCharWidth(HWND window) {
    ScopedGetDC dc(window);
    TEXTMETRICA metrics = {};
    if (dc)
        GetTextMetricsA(dc.get(), &metrics);
    return metrics.tmAveCharWidth;
}

void WarnDriveNotAvailable() {
    ShowStringMessage(g_ownerWindow, IDS_DRIVE_NOT_AVAILABLE, IDS_WARNING,
                      MB_OK | MB_ICONEXCLAMATION);
}

BOOL OnInitDialog(HWND dialog) {
    char caption[1024] = "";
    LoadStringA(g_moduleInstance,
                FileKind == kTableKind ? IDS_OPEN_MULTIPLE_TABLES : IDS_OPEN_MULTIPLE_TVF, caption,
                sizeof caption);
    SetWindowTextA(dialog, caption);
    g_dialog.driveList = GetDlgItem(dialog, IDC_DRIVE_LIST);
    g_dialog.tree = GetDlgItem(dialog, IDC_FOLDER_TREE);
    g_dialog.availableFiles = GetDlgItem(dialog, IDC_AVAILABLE_FILES);
    g_dialog.selectedFiles = GetDlgItem(dialog, IDC_SELECTED_FILES);
    if (!LoadPickerIcons() || !BuildFilePatterns()) {
        EndDialog(dialog, -1);
        return TRUE;
    }
    FillDriveList(g_dialog.driveList, g_dialog.navigation);
    SetFolderImageList(g_dialog.tree);
    ShowDriveInTree(g_dialog.tree, g_dialog.navigation.startDrive);

    HWND types = GetDlgItem(dialog, IDC_FILE_TYPES);
    ComboBox_AddString(types, FileKind == kTableKind ? "Tessaro" : "TVF/TVD files");
    FilterIndex = 0;
    ComboBox_SetCurSel(types, 0);

    ListBox_SetHorizontalExtent(g_dialog.selectedFiles,
                                kPickerPathSize * AverageCharWidth(g_dialog.selectedFiles));
    g_dialog.averageCharWidth = AverageCharWidth(g_dialog.availableFiles);
    FormatDriveRoot(g_dialog.navigation.startDrive, CurrentFolder);
    ListAvailableFiles();

    HWND views = GetDlgItem(dialog, IDC_VIEW_LIST);
    for (UINT id = IDS_VIEW_NEW_MAPPER_ALL; id <= IDS_VIEW_NONE; ++id) {
        char label[256];
        LoadLibraryString(id, label);
        ComboBox_AddString(views, label);
    }
    ComboBox_SetCurSel(views, 0);
    SetFocus(g_dialog.driveList);
    return FALSE;
}

BOOL OnCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        PreferredView = ComboBox_GetCurSel(GetDlgItem(dialog, IDC_VIEW_LIST)) + 1;
        EndDialog(dialog, WriteSelectedFileNamesToStorage(dialog) ? 1 : 0);
        return TRUE;
    case IDCANCEL: EndDialog(dialog, 0); return TRUE;
    case IDC_DRIVE_LIST:
        if (code == CBN_SELENDOK) {
            if (const int drive = ChangeDrive(g_dialog.driveList, g_dialog.tree,
                                              g_dialog.navigation, WarnDriveNotAvailable)) {
                FormatDriveRoot(drive, CurrentFolder);
                ListAvailableFiles();
            }
        }
        return TRUE;
    case IDC_AVAILABLE_FILES:
        if (code == LBN_DBLCLK)
            AddFilesToList(dialog);
        return TRUE;
    case IDC_FILE_TYPES:
        if (code == CBN_SELENDOK) {
            const int selection = ComboBox_GetCurSel(GetDlgItem(dialog, IDC_FILE_TYPES));
            if (selection >= 0 && selection < g_dialog.patternCount)
                FilterIndex = selection;
            ListAvailableFiles();
            SetFocus(g_dialog.driveList);
        }
        return TRUE;
    case IDC_VIEW_LIST: return FALSE;
    case IDC_SELECTED_FILES:
        if (code == LBN_DBLCLK)
            RemoveFilesFromList(dialog);
        return TRUE;
    case IDC_ADD_FILE:
        if (code == BN_CLICKED)
            AddFilesToList(dialog);
        return TRUE;
    case IDC_REMOVE_FILE:
        if (code == BN_CLICKED)
            RemoveFilesFromList(dialog);
        return TRUE;
    case IDC_RESET_LIST: ResetSelectedFiles(dialog); return TRUE;
    default: return FALSE;
    }
}

void OnTreeDoubleClick() {
    char path[kPickerPathSize];
    if (OpenTreeFolder(g_dialog.tree, path)) {
        std::memcpy(CurrentFolder, path, sizeof CurrentFolder);
        ListAvailableFiles();
    }
}

} // namespace

int AddMatchingFiles(HWND availableFiles, const char *pattern, int longest) {
    WIN32_FIND_DATAA found;
    ScopedFindHandle search(FindFirstFileA(pattern, &found));
    if (!search)
        return longest;
    do {
        found.cFileName[sizeof found.cFileName - 1] = '\0';
        CharLowerA(found.cFileName);
        ListBox_AddString(availableFiles, found.cFileName);
        const int length = static_cast<int>(std::strlen(found.cFileName));
        if (length > longest)
            longest = length;
    } while (FindNextFileA(search.get(), &found));
    return longest;
}

namespace {

struct AvailableFilesListing {
    HWND list;
    int longest;
};

void AddMatchingFilesTo(const char *pattern, void *context) {
    AvailableFilesListing &listing = *static_cast<AvailableFilesListing *>(context);
    listing.longest = AddMatchingFiles(listing.list, pattern, listing.longest);
}

} // namespace

void ListAvailableFiles() {
    HWND list = g_dialog.availableFiles;
    SetWindowRedraw(list, FALSE);
    ListBox_ResetContent(list);
    int longest = 0;
    if (FilePatterns != nullptr && FilterIndex >= 0 && FilterIndex < g_dialog.patternCount) {
        char work[kPickerPathSize];
        lstrcpynA(work, FilePatterns[FilterIndex], sizeof work);
        AvailableFilesListing listing = {list, 0};
        ForEachSearchPattern(CurrentFolder, work, AddMatchingFilesTo, &listing);
        longest = listing.longest;
    }
    ListBox_SetHorizontalExtent(list, longest * g_dialog.averageCharWidth);
    SetWindowRedraw(list, TRUE);
    InvalidateRect(list, nullptr, TRUE);
}

INT_PTR CALLBACK SelectMultipleTablesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: return OnInitDialog(dialog);
    case WM_MEASUREITEM: return MeasureDriveItem(reinterpret_cast<MEASUREITEMSTRUCT *>(lParam));
    case WM_DRAWITEM: return DrawDriveItem(reinterpret_cast<const DRAWITEMSTRUCT *>(lParam));
    case WM_COMMAND: return OnCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    case WM_NOTIFY: {
        const NMHDR *header = reinterpret_cast<const NMHDR *>(lParam);
        if (header->idFrom == IDC_FOLDER_TREE && header->code == static_cast<UINT>(NM_DBLCLK))
            OnTreeDoubleClick();
        return FALSE;
    }
    case WM_DESTROY:
        ReleaseFilePatterns();
        DeleteFolderImageList(g_dialog.tree);
        DeletePickerIcons();
        g_dialog = TablesDialog{};
        return FALSE;
    default: return FALSE;
    }
}

extern "C" long __cdecl SelectMultipleTables(HWND hwndOwner, long kind, const char *listFile,
                                             long *view) {
    return RunExport(-1L, [&]() -> long {
        FileKind = kind;
        g_ownerWindow = hwndOwner;
        long result = -1;
        // A list file path that does not fit is refused: cutting it would
        // write the list somewhere the caller does not look.
        if (listFile != nullptr && std::strlen(listFile) < sizeof ListFile) {
            std::strcpy(ListFile, listFile);
            InitCommonControls();
            const INT_PTR code =
                DialogBoxParamA(g_moduleInstance, MAKEINTRESOURCEA(IDD_SELECT_TABLES), hwndOwner,
                                SelectMultipleTablesProc, 0);
            result = TablesResult(code);
        }
        if (view != nullptr)
            *view = PreferredView;
        return result;
    });
}
