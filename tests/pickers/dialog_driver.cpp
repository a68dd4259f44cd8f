#include "tests/pickers/dialog_driver.h"

#include <commctrl.h>

#include <cstring>
#include <thread>

namespace {

// Visits the tree's items in display order with their depth, until visit
// returns true; gives back that item.
HTREEITEM Walk(HWND tree, HTREEITEM item, int depth,
               const std::function<bool(HTREEITEM, int, const std::string &)> &visit) {
    for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        char text[300] = "";
        TVITEMA query = {};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        TreeView_GetItem(tree, &query);
        if (visit(item, depth, text))
            return item;
        if (HTREEITEM found = Walk(tree, TreeView_GetChild(tree, item), depth + 1, visit))
            return found;
    }
    return nullptr;
}

bool IsCombo(HWND control) {
    char name[32] = "";
    GetClassNameA(control, name, sizeof name);
    return lstrcmpiA(name, "ComboBox") == 0;
}

} // namespace

HWND TestOwner() {
    static HWND owner = CreateWindowA("STATIC", "picker test owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                      100, nullptr, nullptr, nullptr, nullptr);
    return owner;
}

bool Drive(const std::string &caption, const std::function<void(HWND)> &user,
           const std::function<void()> &show) {
    bool found = false;
    std::thread helper([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000 && !(dialog && IsWindowVisible(dialog)); ++i, Sleep(20))
            dialog = FindWindowA("#32770", caption.c_str());
        found = dialog != nullptr && IsWindowVisible(dialog);
        if (found)
            user(dialog);
        if (IsWindow(dialog))
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    show();
    helper.join();
    return found;
}

Lines TreeLines(HWND dialog) {
    HWND tree = GetDlgItem(dialog, 1013);
    Lines lines;
    Walk(tree, TreeView_GetRoot(tree), 0, [&](HTREEITEM item, int depth, const std::string &text) {
        TVITEMA query = {};
        query.mask = TVIF_IMAGE | TVIF_STATE;
        query.hItem = item;
        query.stateMask = TVIS_EXPANDED;
        TreeView_GetItem(tree, &query);
        lines.push_back(std::string(depth * 2, ' ') + text +
                        (query.iImage == 1 ? " (open)" : " (closed)") +
                        (query.state & TVIS_EXPANDED ? "+" : ""));
        return false;
    });
    return lines;
}

void OpenFolder(HWND dialog, const std::string &text) {
    HWND tree = GetDlgItem(dialog, 1013);
    HTREEITEM item = Walk(tree, TreeView_GetRoot(tree), 0,
                          [&](HTREEITEM, int, const std::string &at) { return at == text; });
    if (item == nullptr)
        return;
    TreeView_SelectItem(tree, item);
    TreeView_EnsureVisible(tree, item);
    RECT label = {};
    std::memcpy(&label, &item, sizeof item); // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
    SendMessageA(tree, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2));
}

void ChooseDrive(HWND dialog, const char *drive) {
    HWND combo = GetDlgItem(dialog, 1012);
    SendMessageA(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(drive));
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1012, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
}

Lines Items(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    const bool combo = IsCombo(control);
    const LRESULT count = SendMessageA(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    const LRESULT selected = combo ? SendMessageA(control, CB_GETCURSEL, 0, 0) : -1;
    Lines items;
    for (LRESULT i = 0; i < count; ++i) {
        char text[600] = "";
        SendMessageA(control, combo ? CB_GETLBTEXT : LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back((i == selected ? "*" : "") + std::string(text));
    }
    return items;
}

void SelectItems(HWND dialog, int id, const std::vector<int> &indices) {
    SendDlgItemMessageA(dialog, id, LB_SETSEL, FALSE, -1);
    for (int index : indices)
        SendDlgItemMessageA(dialog, id, LB_SETSEL, TRUE, index);
}

void DoubleClickItem(HWND dialog, int id, int index) {
    SelectItems(dialog, id, {index});
    RECT item = {};
    SendDlgItemMessageA(dialog, id, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    SendDlgItemMessageA(dialog, id, WM_LBUTTONDBLCLK, MK_LBUTTON,
                        MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2));
}

void Click(HWND dialog, int id) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

Lines CompareControls(HWND dialog, const std::vector<ControlRow> &rows) {
    Lines differences;
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const ControlRow &row : rows) {
        char name[64] = "";
        GetClassNameA(control, name, sizeof name);
        // Position and size are each converted from dialog units, as the
        // dialog manager does; a drop-down combo box keeps its closed height.
        RECT origin = {row.x, row.y, 0, 0}, size = {0, 0, row.width, row.height}, at = {};
        MapDialogRect(dialog, &origin);
        MapDialogRect(dialog, &size);
        GetWindowRect(control, &at);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&at), 2);
        if (IsCombo(control))
            at.bottom = at.top + size.bottom;
        const std::string text = IsCombo(control) ? "" : WindowText(control);
        // Scroll bars and borders are the controls' own business once created.
        const DWORD frame = WS_CHILD | WS_VSCROLL | WS_HSCROLL | WS_BORDER;
        const DWORD style = static_cast<DWORD>(GetWindowLongA(control, GWL_STYLE));
        if (lstrcmpiA(name, row.className) != 0 ||
            LOWORD(GetDlgCtrlID(control)) != LOWORD(row.id) || text != row.text ||
            (style & ~frame) != (row.style & ~frame) || at.left != origin.left ||
            at.top != origin.top || at.right - at.left != size.right ||
            at.bottom - at.top != size.bottom)
            differences.push_back("control " + std::to_string(row.id) + " " + row.text +
                                  " differs: " + name + " \"" + text + "\" at " +
                                  std::to_string(at.left) + "," + std::to_string(at.top) +
                                  " style " + std::to_string(style));
        control = GetWindow(control, GW_HWNDNEXT);
    }
    if (control != nullptr)
        differences.push_back("more controls than rows");
    return differences;
}
