#include "tests/pickers/dialog_driver.h"

#include <chrono>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "frame/message_box.h"

namespace {

void AddTreeLines(HWND tree, HTREEITEM item, int depth, std::vector<std::string> &lines) {
    for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        char text[300] = "";
        TVITEMA query = {};
        query.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_STATE;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        query.stateMask = TVIS_EXPANDED;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        std::string line(static_cast<size_t>(depth) * 2, ' ');
        line += text;
        line += query.iImage == 1 ? " (open)" : " (closed)";
        if (query.state & TVIS_EXPANDED)
            line += "+";
        lines.push_back(line);
        AddTreeLines(tree, TreeView_GetChild(tree, item), depth + 1, lines);
    }
}

HTREEITEM FindIn(HWND tree, HTREEITEM item, const std::string &wanted) {
    for (; item != nullptr; item = TreeView_GetNextSibling(tree, item)) {
        char text[300] = "";
        TVITEMA query = {};
        query.mask = TVIF_TEXT;
        query.hItem = item;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&query));
        if (wanted == text)
            return item;
        if (HTREEITEM below = FindIn(tree, TreeView_GetChild(tree, item), wanted))
            return below;
    }
    return nullptr;
}

} // namespace

HWND TestOwner() {
    static HWND owner = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "PickerTestOwner";
        RegisterClassA(&windowClass);
        return CreateWindowA("PickerTestOwner", "picker test owner", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                             100, nullptr, nullptr, windowClass.hInstance, nullptr);
    }();
    return owner;
}

DialogDriver::DialogDriver(const char *caption, std::function<void(HWND)> script) {
    const std::string wanted = caption;
    thread_ = std::thread([this, wanted, script] {
        HWND dialog = nullptr;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (dialog == nullptr && std::chrono::steady_clock::now() < deadline) {
            HWND candidate = FindWindowA("#32770", wanted.c_str());
            if (candidate != nullptr && IsWindowVisible(candidate))
                dialog = candidate;
            else
                Sleep(20);
        }
        if (dialog == nullptr)
            return;
        found_ = true;
        script(dialog);
        if (IsWindow(dialog))
            PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    });
}

DialogDriver::~DialogDriver() {
    thread_.join();
}

std::vector<std::string> TreeLines(HWND tree) {
    std::vector<std::string> lines;
    AddTreeLines(tree, TreeView_GetRoot(tree), 0, lines);
    return lines;
}

HTREEITEM FindTreeItem(HWND tree, const std::string &text) {
    return FindIn(tree, TreeView_GetRoot(tree), text);
}

bool DoubleClickFolder(HWND dialog, const std::string &text) {
    HWND tree = GetDlgItem(dialog, 1013);
    HTREEITEM item = FindTreeItem(tree, text);
    if (item == nullptr)
        return false;
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageA(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT label = {};
    std::memcpy(&label, &item, sizeof item); // TVM_GETITEMRECT takes the item in the rectangle
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&label));
    const int x = (label.left + label.right) / 2;
    const int y = (label.top + label.bottom) / 2;
    SendMessageA(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(x, y));
    return true;
}

bool OpenFolders(HWND dialog, const std::vector<std::string> &chain) {
    for (const std::string &folder : chain)
        if (!DoubleClickFolder(dialog, folder))
            return false;
    return true;
}

bool ChooseDrive(HWND dialog, const char *drive) {
    HWND combo = GetDlgItem(dialog, 1012);
    const LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(drive));
    if (index == CB_ERR)
        return false;
    SendMessageA(combo, CB_SETCURSEL, index, 0);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(1012, CBN_SELENDOK),
                 reinterpret_cast<LPARAM>(combo));
    return true;
}

std::vector<std::string> ListItems(HWND list) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[600] = "";
        if (SendMessageA(list, LB_GETTEXTLEN, i, 0) < static_cast<LRESULT>(sizeof text))
            SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::vector<std::string> ComboItems(HWND combo) {
    std::vector<std::string> items;
    const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        char text[300] = "";
        SendMessageA(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

std::string ComboSelection(HWND combo) {
    const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
    if (index < 0)
        return "<none>";
    char text[300] = "";
    SendMessageA(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

void SelectListItems(HWND list, const std::vector<int> &indices) {
    SendMessageA(list, LB_SETSEL, FALSE, -1);
    for (int index : indices)
        SendMessageA(list, LB_SETSEL, TRUE, index);
}

void DoubleClickListItem(HWND list, int index) {
    SelectListItems(list, {index});
    RECT item = {};
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2));
}

void ClickButton(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void PressEscape(HWND dialog) {
    HWND target = GetDlgItem(dialog, 1012);
    PostMessageA(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
    PostMessageA(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
    for (int i = 0; i < 250 && IsWindow(dialog); ++i)
        Sleep(20);
}

std::vector<std::string> CompareControls(HWND dialog, const std::vector<TemplateControl> &rows) {
    std::vector<std::string> differences;
    HWND control = GetWindow(dialog, GW_CHILD);
    for (const TemplateControl &row : rows) {
        std::ostringstream where;
        where << "control " << row.id << " \"" << row.text << "\": ";
        if (control == nullptr) {
            differences.push_back(where.str() + "missing");
            continue;
        }
        char className[64] = "";
        GetClassNameA(control, className, sizeof className);
        if (lstrcmpiA(className, row.className) != 0)
            differences.push_back(where.str() + "class " + className);
        if (GetDlgCtrlID(control) != row.id && !(row.id == -1 && GetDlgCtrlID(control) == 0xFFFF))
            differences.push_back(where.str() + "id " + std::to_string(GetDlgCtrlID(control)));
        if (std::string(row.className) != "ComboBox" && WindowText(control) != row.text)
            differences.push_back(where.str() + "text " + WindowText(control));
        const bool visible = (GetWindowLongA(control, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != row.visible)
            differences.push_back(where.str() + "visibility");
        // Position and size are each converted from dialog units, as the
        // dialog manager does; a drop-down combo box keeps its closed height.
        RECT origin = {row.x, row.y, 0, 0};
        RECT size = {0, 0, row.width, row.height};
        MapDialogRect(dialog, &origin);
        MapDialogRect(dialog, &size);
        RECT actual = {};
        GetWindowRect(control, &actual);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT *>(&actual), 2);
        const bool combo = std::string(row.className) == "ComboBox";
        if (actual.left != origin.left || actual.top != origin.top ||
            actual.right - actual.left != size.right ||
            (!combo && actual.bottom - actual.top != size.bottom)) {
            std::ostringstream rect;
            rect << "at " << actual.left << "," << actual.top << " size "
                 << actual.right - actual.left << "x" << actual.bottom - actual.top;
            differences.push_back(where.str() + rect.str());
        }
        control = GetWindow(control, GW_HWNDNEXT);
    }
    if (control != nullptr)
        differences.push_back("more controls than the template lists");
    return differences;
}

namespace {

// Reads a dialog template resource (plain or extended) word by word.
class TemplateReader {
  public:
    explicit TemplateReader(const BYTE *data) : at_(data) {}
    WORD Word() {
        WORD value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    DWORD Dword() {
        DWORD value;
        std::memcpy(&value, at_, sizeof value);
        at_ += sizeof value;
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    // A name or an ordinal: ordinals come back as "#n".
    std::string NameOrOrdinal() {
        const WORD first = Word();
        if (first == 0xFFFF)
            return "#" + std::to_string(Word());
        std::string text;
        for (WORD c = first; c != 0; c = Word())
            text += static_cast<char>(c);
        return text;
    }
    void AlignDword(const BYTE *base) {
        while ((at_ - base) % 4 != 0)
            ++at_;
    }
    void Skip(size_t bytes) { at_ += bytes; }

  private:
    const BYTE *at_;
};

std::string PredefinedClass(const std::string &name) {
    if (name == "#128")
        return "Button";
    if (name == "#130")
        return "Static";
    if (name == "#131")
        return "ListBox";
    if (name == "#133")
        return "ComboBox";
    return name;
}

} // namespace

std::vector<std::string> CompareTemplate(HINSTANCE module, int id,
                                         const std::vector<TemplateControl> &rows) {
    std::vector<std::string> differences;
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));
    if (found == nullptr)
        return {"no dialog " + std::to_string(id)};
    const BYTE *base = static_cast<const BYTE *>(LockResource(LoadResource(module, found)));
    TemplateReader reader(base);
    const bool extended = reader.Word() == 1 && reader.Word() == 0xFFFF;
    DWORD style = 0;
    WORD count = 0;
    if (extended) {
        reader.Dword(); // help id
        reader.Dword(); // extended style
        style = reader.Dword();
    } else {
        reader = TemplateReader(base);
        style = reader.Dword();
        reader.Dword();
    }
    count = reader.Word();
    reader.Skip(4 * sizeof(short));
    reader.NameOrOrdinal(); // menu
    reader.NameOrOrdinal(); // class
    if (reader.NameOrOrdinal() != "Dialog")
        differences.push_back("caption is not \"Dialog\"");
    if (style & DS_SETFONT) {
        if (reader.Word() != 8)
            differences.push_back("font size is not 8");
        if (extended)
            reader.Skip(4);
        if (reader.NameOrOrdinal() != "MS Sans Serif")
            differences.push_back("font is not MS Sans Serif");
    } else {
        differences.push_back("no font");
    }
    if (count != rows.size())
        differences.push_back(std::to_string(count) + " controls");
    for (size_t i = 0; i < rows.size() && i < count; ++i) {
        const TemplateControl &row = rows[i];
        reader.AlignDword(base);
        DWORD itemStyle, itemExStyle, itemId;
        if (extended) {
            reader.Dword();
            itemExStyle = reader.Dword();
            itemStyle = reader.Dword();
        } else {
            itemStyle = reader.Dword();
            itemExStyle = reader.Dword();
        }
        const short x = reader.Short(), y = reader.Short(), cx = reader.Short(),
                    cy = reader.Short();
        itemId = extended ? reader.Dword() : reader.Word();
        const std::string className = PredefinedClass(reader.NameOrOrdinal());
        const std::string text = reader.NameOrOrdinal();
        reader.Skip(reader.Word());
        std::ostringstream where;
        where << "control " << i << " \"" << row.text << "\": ";
        const DWORD expectedStyle = row.style | WS_CHILD | (row.visible ? WS_VISIBLE : 0);
        if (static_cast<int>(static_cast<short>(itemId)) != row.id)
            differences.push_back(where.str() + "id " + std::to_string(itemId));
        if (lstrcmpiA(className.c_str(), row.className) != 0)
            differences.push_back(where.str() + "class " + className);
        if (text != row.text)
            differences.push_back(where.str() + "text " + text);
        if (itemStyle != expectedStyle || itemExStyle != row.exStyle) {
            char styles[64];
            std::snprintf(styles, sizeof styles, "style %08lx/%08lx", itemStyle, itemExStyle);
            differences.push_back(where.str() + styles);
        }
        if (x != row.x || y != row.y || cx != row.width || cy != row.height)
            differences.push_back(where.str() + "position");
    }
    return differences;
}
