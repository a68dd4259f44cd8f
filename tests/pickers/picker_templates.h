// The controls of the two picker dialog templates, as the resource script
// must hold them.
#ifndef ORTK232_TESTS_PICKERS_PICKER_TEMPLATES_H
#define ORTK232_TESTS_PICKERS_PICKER_TEMPLATES_H

#include "tests/pickers/dialog_driver.h"

constexpr DWORD kDriveListStyle =
    CBS_DROPDOWNLIST | CBS_SORT | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS | WS_VSCROLL | WS_TABSTOP;

inline std::vector<TemplateControl> DirectoryTemplateControls() {
    return {
        {IDOK, "Button", "OK", 186, 6, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, true},
        {IDCANCEL, "Button", "Cancel", 186, 23, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, true},
        {-1, "Static", "Dri&ves:", 6, 5, 22, 8, SS_LEFT | WS_GROUP, 0, true},
        {-1, "Static", "&Directories:", 83, 5, 35, 8, SS_LEFT | WS_GROUP, 0, true},
        {1012, "ComboBox", "", 6, 14, 61, 30, kDriveListStyle, 0, true},
        {1013, "SysTreeView32", "", 83, 14, 91, 61, WS_BORDER | TVS_DISABLEDRAGDROP | WS_TABSTOP, 0,
         true},
        {1014, "Static", "", 5, 87, 234, 10, SS_LEFT | WS_GROUP, 0, true},
    };
}

inline std::vector<TemplateControl> TablesTemplateControls() {
    const DWORD listBoth =
        LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_HSCROLL | WS_BORDER | WS_TABSTOP;
    return {
        {IDOK, "Button", "Open", 220, 248, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, true},
        {IDCANCEL, "Button", "Cancel", 273, 248, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, true},
        {-1, "Static", "Look in", 5, 5, 28, 8, SS_LEFT, 0, true},
        {1012, "ComboBox", "", 35, 3, 45, 95, kDriveListStyle, 0, true},
        {1013, "SysTreeView32", "", 3, 19, 125, 127, WS_TABSTOP, WS_EX_CLIENTEDGE, true},
        {-1, "Static", "Available Files", 237, 153, 72, 8, SS_LEFT, 0, false},
        {1019, "ListBox", "", 134, 19, 189, 127, LBS_SORT | LBS_EXTENDEDSEL | listBoth, 0, true},
        {-1, "Static", "Files of type:", 89, 5, 41, 8, SS_LEFT, 0, true},
        {1020, "ComboBox", "", 134, 3, 189, 99, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
         true},
        {-1, "Static", "Preferred View", 10, 250, 47, 8, SS_LEFT, 0, true},
        {1021, "ComboBox", "", 60, 247, 134, 116, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0,
         true},
        {-1, "Static", "Selected Files", 3, 154, 53, 8, SS_LEFT, 0, true},
        {1022, "ListBox", "", 3, 165, 320, 78, LBS_MULTIPLESEL | listBoth, 0, true},
        {1023, "Button", "Add File", 113, 149, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, true},
        {1024, "Button", "Remove File", 173, 149, 50, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, true},
        {1025, "Button", "Reset &List", 295, 149, 28, 14, BS_PUSHBUTTON | WS_TABSTOP, 0, false},
    };
}

#endif
