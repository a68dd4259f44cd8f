#include "tests/pickers/dialog_driver.h"

#include <commctrl.h>
#include <direct.h>
#include <gtest/gtest.h>

#include <cstring>
#include <thread>

HWND TestOwner() {
    static HWND owner = CreateWindowA("STATIC", "picker test owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                                      100, nullptr, nullptr, nullptr, nullptr);
    return owner;
}

void ExpectOneDriveWarning(const MessageCapture &capture) {
    ASSERT_EQ(capture.messages().size(), 1u);
    const CapturedMessage warning = capture.messages()[0];
    EXPECT_EQ(warning.owner, TestOwner());
    EXPECT_EQ(warning.text + "|" + warning.caption, "Selected drive is not available.|Warning");
    EXPECT_EQ(warning.flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
}

void Drive(const std::string &caption, const std::function<void(HWND)> &user,
           const std::function<void()> &show) {
    ASSERT_EQ(_chdir("m:\\"), 0) << "the test prefix lacks drive m:";
    std::thread helper([&] {
        HWND dialog = nullptr;
        for (int i = 0; i < 1000 && !(dialog && IsWindowVisible(dialog)); ++i, Sleep(20))
            dialog = FindWindowA("#32770", caption.c_str());
        EXPECT_TRUE(dialog && IsWindowVisible(dialog)) << "no dialog " << caption;
        if (dialog && IsWindowVisible(dialog))
            user(dialog);
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
    show();
    helper.join();
}

// Every item of the tree in display order with its depth and state.
static void
Walk(HWND tree, HTREEITEM item, int depth,
     const std::function<void(HTREEITEM, int, const std::string &, const TVITEMA &)> &visit) {
    for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        char text[300] = "";
        TVITEMA query = {};
        query.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE;
        query.stateMask = TVIS_EXPANDED;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        TreeView_GetItem(tree, &query);
        visit(item, depth, text, query);
        Walk(tree, TreeView_GetChild(tree, item), depth + 1, visit);
    }
}

Lines TreeLines(HWND dialog) {
    HWND tree = GetDlgItem(dialog, 1013);
    Lines lines;
    Walk(tree, TreeView_GetRoot(tree), 0,
         [&](HTREEITEM, int depth, const std::string &text, const TVITEMA &item) {
             lines.push_back(std::string(depth * 2, ' ') + text +
                             (item.iImage ? " (open)" : " (closed)") +
                             (item.state & TVIS_EXPANDED ? "+" : ""));
         });
    return lines;
}

void Open(HWND dialog, const std::string &path) {
    if (path.size() == 2) {
        SendDlgItemMessageA(dialog, 1012, CB_SELECTSTRING, -1,
                            reinterpret_cast<LPARAM>(path.c_str()));
        return Notify(dialog, 1012, CBN_SELENDOK);
    }
    HWND tree = GetDlgItem(dialog, 1013);
    size_t at = path.size() > 2 && path[1] == ':' ? 3 : 0;
    Lines names(at > 0, path.substr(0, at));
    for (size_t end; (end = path.find('\\', at)) != std::string::npos; at = end + 1)
        names.push_back(path.substr(at, end - at));
    for (const std::string &name : names) {
        HTREEITEM found = nullptr;
        Walk(tree, TreeView_GetRoot(tree), 0,
             [&](HTREEITEM item, int, const std::string &text, const TVITEMA &) {
                 found = text == name && !found ? item : found;
             });
        TreeView_SelectItem(tree, found);
        TreeView_EnsureVisible(tree, found);
        RECT label = {};
        std::memcpy(&label, &found, sizeof found); // the item goes in the rectangle
        SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
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

Lines Items(HWND dialog, int id) {
    char name[32] = "";
    GetClassNameA(GetDlgItem(dialog, id), name, sizeof name);
    const bool combo = lstrcmpiA(name, "ComboBox") == 0;
    const LRESULT count = SendDlgItemMessageA(dialog, id, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    const LRESULT selected = combo ? SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0) : -1;
    Lines items;
    for (LRESULT i = 0; i < count; ++i) {
        char text[600] = "";
        SendDlgItemMessageA(dialog, id, combo ? CB_GETLBTEXT : LB_GETTEXT, i,
                            reinterpret_cast<LPARAM>(text));
        items.push_back((i == selected ? "*" : "") + std::string(text));
    }
    return items;
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
