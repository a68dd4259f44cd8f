#include "tests/pickers/dialog_driver.h"

#include <commctrl.h>
#include <direct.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/splash/banner_probe.h"

HWND TestOwner() {
    static HWND owner = CreateHostWindow("picker test owner", 0, 0);
    return owner;
}

void ExpectOneDriveWarning(const MessageCapture &capture) {
    std::string shown;
    for (const CapturedMessage &m : capture.messages())
        shown += m.text + "|" + m.caption + "|" + std::to_string(m.flags) +
                 (m.owner == TestOwner() ? "\n" : " not owned\n");
    EXPECT_EQ(shown, "Selected drive is not available.|Warning|48\n"); // MB_OK | MB_ICONEXCLAMATION
}

void Drive(const std::function<void(HWND)> &user, const std::function<void()> &show) {
    ASSERT_EQ(_chdir("m:\\"), 0) << "the test prefix lacks drive m:";
    WhileShown(show, user);
}

std::string ItemText(HWND tree, HTREEITEM item, bool state) {
    char text[300] = "";
    TVITEMA query = {};
    query.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE;
    query.stateMask = TVIS_EXPANDED;
    query.hItem = item;
    query.pszText = text;
    query.cchTextMax = sizeof text;
    TreeView_GetItem(tree, &query);
    if (!state)
        return text;
    int depth = 0;
    for (HTREEITEM up = item; (up = TreeView_GetParent(tree, up)) != nullptr;)
        ++depth;
    return std::to_string(depth) + " " + text + (query.iImage ? " (open)" : " (closed)") +
           (query.state & TVIS_EXPANDED ? "+" : "");
}

void Open(HWND dialog, const std::string &path) {
    if (path.size() == 2) {
        SendDlgItemMessageA(dialog, 1012, CB_SELECTSTRING, -1,
                            reinterpret_cast<LPARAM>(path.c_str()));
        return Notify(dialog, 1012, CBN_SELENDOK);
    }
    HWND tree = GetDlgItem(dialog, 1013);
    size_t at = path.size() > 2 && path[1] == ':' ? 3 : 0;
    std::vector<std::string> names(at > 0, path.substr(0, at));
    for (size_t end; (end = path.find('\\', at)) != std::string::npos; at = end + 1)
        names.push_back(path.substr(at, end - at));
    for (const std::string &name : names) {
        // Every folder in the tree is visible: the pickers expand each one opened.
        HTREEITEM found = TreeView_GetRoot(tree);
        while (found != nullptr && ItemText(tree, found, false) != name)
            found = TreeView_GetNextVisible(tree, found);
        if (found == nullptr)
            return; // a click on no item would wait for the mouse to move
        TreeView_SelectItem(tree, found);
        TreeView_EnsureVisible(tree, found);
        RECT label = {}, client = {};
        TreeView_GetItemRect(tree, found, &label, TRUE);
        // The middle of the part of the label inside the tree.
        GetClientRect(tree, &client);
        label.left = std::max(label.left, client.left);
        label.right = std::min(label.right, client.right);
        SendMessageA(tree, WM_LBUTTONDBLCLK, MK_LBUTTON,
                     MAKELPARAM((label.left + label.right) / 2, (label.top + label.bottom) / 2));
    }
}

std::string DeepPath() {
    std::string path = "m:\\deep\\";
    for (int i = 1; i <= 26; ++i)
        path += (i < 10 ? "level0" : "level") + std::to_string(i) + "x\\";
    return path + "lastone\\";
}

std::string LongName() {
    return "long" + std::string(236, 'n');
}

std::string Entries(HWND dialog, int id) {
    char name[32] = "";
    GetClassNameA(GetDlgItem(dialog, id), name, sizeof name);
    const bool combo = lstrcmpiA(name, "ComboBox") == 0;
    const LRESULT count = SendDlgItemMessageA(dialog, id, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    const LRESULT selected = combo ? SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0) : -1;
    std::string entries = std::to_string(count);
    for (LRESULT i = 0; i < count; i += combo || i + 1 == count ? 1 : count - 1 - i) {
        char text[600] = "";
        SendDlgItemMessageA(dialog, id, combo ? CB_GETLBTEXT : LB_GETTEXT, i,
                            reinterpret_cast<LPARAM>(text));
        const LRESULT data = combo ? SendDlgItemMessageA(dialog, id, CB_GETITEMDATA, i, 0) : 0;
        entries += (i == selected ? " *" : " ") + std::string(text) +
                   (data != 0 ? std::to_string(data) : "");
    }
    return entries;
}

void Select(HWND dialog, int list, const std::vector<int> &indices) {
    SendDlgItemMessageA(dialog, list, LB_SETSEL, FALSE, -1);
    for (int index : indices)
        SendDlgItemMessageA(dialog, list, LB_SETSEL, TRUE, index);
}

void Notify(HWND dialog, int id, WORD code) {
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, code),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}
