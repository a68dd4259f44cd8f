#include "pickers/drive_tree.h"

#include <direct.h>
#include <windowsx.h>

#include <cstring>

#include "frame/app.h"
#include "frame/handles.h"
#include "res/resource.h"

PickerIconBitmaps PickerIcons = {};
int ClosedFolderImage = 0;
int OpenFolderImage = 1;

namespace {

// Resource ids in the order of the PickerIcon enumeration.
const int kPickerIconIds[kPickerIconCount] = {IDI_REMOVABLE_DRIVE, IDI_FIXED_DRIVE,
                                              IDI_CDROM_DRIVE,     IDI_NETWORK_DRIVE,
                                              IDI_OPEN_FOLDER,     IDI_CLOSED_FOLDER};

// The tree's image list: created with each dialog, destroyed with it.
HIMAGELIST g_folderImages = nullptr;

} // namespace

void GetTreeItemText(HWND tree, HTREEITEM item, char (&text)[kPickerPathSize]) {
    text[0] = '\0';
    TVITEMA query = {};
    query.mask = TVIF_TEXT;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = kPickerPathSize;
    TreeView_GetItem(tree, &query);
    text[kPickerPathSize - 1] = '\0';
}

void GetDriveText(HWND driveList, int index, char (&text)[kPickerPathSize]) {
    text[0] = '\0';
    const int length = ComboBox_GetLBTextLen(driveList, index);
    if (length >= 0 && length < kPickerPathSize)
        ComboBox_GetLBText(driveList, index, text);
}

int LoadPickerIcons() {
    DeletePickerIcons();
    ScopedIcon icons[kPickerIconCount];
    for (int i = 0; i < kPickerIconCount; ++i) {
        icons[i].reset(
            static_cast<HICON>(LoadImageA(g_moduleInstance, MAKEINTRESOURCEA(kPickerIconIds[i]),
                                          IMAGE_ICON, kPickerIconSize, kPickerIconSize, 0)));
        if (!icons[i])
            return 0;
    }
    PickerIconBitmaps taken = {};
    bool complete = true;
    for (int i = 0; i < kPickerIconCount && complete; ++i) {
        ICONINFO info = {};
        complete = GetIconInfo(icons[i].get(), &info) && info.hbmColor != nullptr;
        taken.color[i] = info.hbmColor;
        taken.mask[i] = info.hbmMask;
    }
    PickerIcons = taken;
    if (!complete) {
        DeletePickerIcons();
        return 0;
    }
    return 1;
}

void DeletePickerIcons() {
    for (int i = 0; i < kPickerIconCount; ++i) {
        if (PickerIcons.color[i] != nullptr)
            DeleteObject(PickerIcons.color[i]);
        if (PickerIcons.mask[i] != nullptr)
            DeleteObject(PickerIcons.mask[i]);
        PickerIcons.color[i] = nullptr;
        PickerIcons.mask[i] = nullptr;
    }
}

int SetFolderImageList(HWND tree) {
    HIMAGELIST images =
        ImageList_Create(kPickerIconSize, kPickerIconSize, ILC_COLOR24 | ILC_MASK, 2, 0);
    if (images == nullptr)
        return 0;
    ClosedFolderImage = ImageList_Add(images, PickerIcons.color[kClosedFolderIcon],
                                      PickerIcons.mask[kClosedFolderIcon]);
    OpenFolderImage = ImageList_Add(images, PickerIcons.color[kOpenFolderIcon],
                                    PickerIcons.mask[kOpenFolderIcon]);
    if (ImageList_GetImageCount(images) < 2) {
        ImageList_Destroy(images);
        return 0;
    }
    TreeView_SetImageList(tree, images, TVSIL_NORMAL);
    if (g_folderImages != nullptr)
        ImageList_Destroy(g_folderImages);
    g_folderImages = images;
    return 1;
}

void DeleteFolderImageList(HWND tree) {
    if (tree != nullptr)
        TreeView_SetImageList(tree, nullptr, TVSIL_NORMAL);
    if (g_folderImages != nullptr)
        ImageList_Destroy(g_folderImages);
    g_folderImages = nullptr;
}

void FillDriveList(HWND driveList, DriveNavigation &navigation) {
    navigation.startDrive = _getdrive();
    navigation.shownIndex = -1;
    for (int drive = 1; drive <= 26; ++drive) {
        char text[4];
        PickerPath root;
        FormatDriveText(drive, text);
        FormatDriveRoot(drive, root);
        const UINT type = GetDriveTypeA(root);
        if (!IsListedDriveType(type))
            continue;
        const int index = ComboBox_AddString(driveList, text);
        if (index < 0)
            continue;
        if (drive == navigation.startDrive)
            navigation.shownIndex = index;
        ComboBox_SetItemData(driveList, index, type);
    }
    _chdrive(navigation.startDrive);
    ComboBox_SetCurSel(driveList, navigation.shownIndex);
}

BOOL MeasureDriveItem(MEASUREITEMSTRUCT *measure) {
    measure->itemHeight = DriveItemHeight(measure->itemHeight);
    return TRUE;
}

BOOL DrawDriveItem(const DRAWITEMSTRUCT *draw) {
    if (draw->itemID == static_cast<UINT>(-1))
        return FALSE;
    HDC dc = draw->hDC;
    const PickerIcon icon = IconForDriveType(static_cast<UINT>(draw->itemData));

    char text[kPickerPathSize];
    GetDriveText(draw->hwndItem, static_cast<int>(draw->itemID), text);

    const bool selected = (draw->itemState & ODS_SELECTED) != 0;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    const DriveItemLayout at = LayOutDriveItem(draw->rcItem.top, draw->rcItem.bottom,
                                               metrics.tmHeight, LOWORD(GetDialogBaseUnits()));
    {
        ScopedTextColors colors(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT),
                                GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        ExtTextOutA(dc, at.textLeft, at.textTop, ETO_OPAQUE | ETO_CLIPPED, &draw->rcItem, text,
                    static_cast<UINT>(std::strlen(text)), nullptr);
    }

    if (PickerIcons.mask[icon] != nullptr && PickerIcons.color[icon] != nullptr) {
        ScopedMemoryDC memory(CreateCompatibleDC(dc));
        if (memory) {
            // A monochrome mask is expanded with the target's text and
            // background colours: black and white keep the mask as drawn.
            ScopedTextColors maskColors(dc, RGB(0, 0, 0), RGB(255, 255, 255));
            ScopedSelectObject selectMask(memory.get(), PickerIcons.mask[icon]);
            BitBlt(dc, at.iconLeft, at.iconTop, kPickerIconSize, kPickerIconSize, memory.get(), 0,
                   0, SRCAND);
            SelectObject(memory.get(), PickerIcons.color[icon]);
            BitBlt(dc, at.iconLeft, at.iconTop, kPickerIconSize, kPickerIconSize, memory.get(), 0,
                   0, SRCPAINT);
        }
    }
    if (draw->itemState & ODS_FOCUS)
        DrawFocusRect(dc, &draw->rcItem);
    return TRUE;
}

HTREEITEM AddFolderToTree(HWND tree, const char *name, HTREEITEM parent) {
    TVINSERTSTRUCTA insert = {};
    insert.hParent = parent != nullptr ? parent : TVI_ROOT;
    insert.hInsertAfter = TVI_SORT;
    insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<char *>(name);
    insert.item.iImage = parent != nullptr ? ClosedFolderImage : OpenFolderImage;
    insert.item.iSelectedImage = insert.item.iImage;
    return TreeView_InsertItem(tree, &insert);
}

int AddSubfoldersToTree(HWND tree, const char *folderPath, HTREEITEM parent) {
    // A folder whose search pattern does not fit in a path is not listed:
    // none of its subfolders could be opened anyway.
    PickerPath pattern;
    if (!ComposeSearchPattern(pattern, folderPath, "*", 1))
        return 1;
    WIN32_FIND_DATAA found;
    ScopedFindHandle search(FindFirstFileA(pattern, &found));
    if (!search)
        return 1;
    do {
        if (!IsListedSubfolder(found.dwFileAttributes, found.cFileName))
            continue;
        found.cFileName[sizeof found.cFileName - 1] = '\0';
        CharLowerA(found.cFileName);
        AddFolderToTree(tree, found.cFileName, parent);
    } while (FindNextFileA(search.get(), &found));
    return 1;
}

int ShowDriveInTree(HWND tree, int drive) {
    if (HTREEITEM root = TreeView_GetRoot(tree)) {
        // The selection and the scroll position go to the root first: the
        // collapse below frees the items under it, and a tree view that still
        // points to one of them (Wine's does, after a long chain was opened)
        // reads freed memory.
        TreeView_SelectItem(tree, root);
        TreeView_SelectSetFirstVisible(tree, root);
        TreeView_Expand(tree, root, TVE_COLLAPSE | TVE_COLLAPSERESET);
        TreeView_DeleteItem(tree, root);
    }
    char rootText[kPickerPathSize];
    FormatDriveRoot(drive, rootText);
    HTREEITEM root = AddFolderToTree(tree, rootText, nullptr);
    AddSubfoldersToTree(tree, rootText, root);
    if (TreeView_GetChild(tree, root) != nullptr)
        TreeView_Expand(tree, root, TVE_EXPAND);
    return 1;
}

int ChangeDrive(HWND driveList, HWND tree, DriveNavigation &navigation, DriveWarning warn) {
    const int selection = ComboBox_GetCurSel(driveList);
    char text[kPickerPathSize];
    GetDriveText(driveList, selection, text);
    const int drive = DriveOfText(text);
    if (drive == 0 || _chdrive(drive) != 0) {
        warn();
        ComboBox_SetCurSel(driveList, navigation.shownIndex);
        return 0;
    }
    navigation.shownIndex = selection;
    _chdrive(navigation.startDrive);
    ShowDriveInTree(tree, drive);
    return drive;
}

bool OpenTreeFolder(HWND tree, char (&path)[kPickerPathSize]) {
    HTREEITEM item = TreeView_GetSelection(tree);
    if (item == nullptr)
        return false;

    TVITEMA image = {};
    image.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    image.hItem = item;
    image.iImage = OpenFolderImage;
    image.iSelectedImage = OpenFolderImage;
    TreeView_SetItem(tree, &image);

    // The chain from the root down to the item. A chain deeper than a path
    // can hold cannot be opened.
    HTREEITEM chain[kPickerPathSize / 2];
    int depth = 0;
    for (HTREEITEM up = item; up != nullptr; up = TreeView_GetParent(tree, up)) {
        if (depth == static_cast<int>(sizeof chain / sizeof chain[0]))
            return false;
        chain[depth++] = up;
    }
    char folder[kPickerPathSize] = "";
    while (depth > 0) {
        char text[kPickerPathSize];
        GetTreeItemText(tree, chain[--depth], text);
        if (!AppendFolder(folder, text))
            return false; // longer than 259 characters: refused, never cut
    }
    if (_chdir(folder) != 0)
        return false;

    TreeView_Expand(tree, item, TVE_COLLAPSE | TVE_COLLAPSERESET);
    while (HTREEITEM next = TreeView_GetNextSibling(tree, item))
        TreeView_DeleteItem(tree, next);
    while (HTREEITEM previous = TreeView_GetPrevSibling(tree, item))
        TreeView_DeleteItem(tree, previous);
    InvalidateRect(tree, nullptr, TRUE);
    UpdateWindow(tree);
    AddSubfoldersToTree(tree, folder, item);
    TreeView_EnsureVisible(tree, item);
    std::memcpy(path, folder, sizeof path);
    return true;
}
