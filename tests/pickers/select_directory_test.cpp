// The folder picker in a real dialog: template, tree, path line, drive
// changes and the result rules of SelectDirectory.
#include <direct.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "frame/app.h"
#include "ortk232.h"
#include "pickers/select_directory.h"
#include "tests/pickers/picker_templates.h"

namespace {

using Lines = std::vector<std::string>;

// The picker starts on the current drive: the prepared drive m:.
void StartOnDriveM() {
    ASSERT_EQ(_chdir("m:\\"), 0) << "the test prefix lacks drive m:";
}

struct Outcome {
    long result = -2;
    std::string directory;
    bool found = false;
};

Outcome RunSelectDirectory(const char *title, long size, std::function<void(HWND)> script) {
    Outcome outcome;
    std::vector<char> buffer(300, 'x');
    {
        DialogDriver driver(title, script);
        outcome.result = SelectDirectory(TestOwner(), title, buffer.data(), size);
        outcome.found = driver.found();
    }
    outcome.directory = buffer.data();
    return outcome;
}

const Lines kRootOfM = {
    "m:\\ (open)+",    "  .hidden (closed)", "  caf\xe9 m\xfcller (closed)",
    "  data (closed)", "  deep (closed)",    "  empty (closed)",
    "  many (closed)", "  maps (closed)",
};

TEST(SelectDirectory, TemplateHasEveryControlInPlace) {
    StartOnDriveM();
    std::vector<std::string> differences;
    DWORD style = 0;
    const Outcome outcome = RunSelectDirectory("Template 114", 260, [&](HWND dialog) {
        style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
        std::vector<TemplateControl> rows = DirectoryTemplateControls();
        rows.back().text = "m:\\"; // the path line shows the start root
        differences = CompareControls(dialog, rows);
        ClickButton(dialog, IDCANCEL);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(differences, Lines{});
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | DS_MODALFRAME),
              WS_CAPTION | WS_SYSMENU | DS_MODALFRAME);
}

TEST(SelectDirectory, OkAtOnceReturnsTheStartRoot) {
    StartOnDriveM();
    Lines tree, drives;
    std::string shownDrive, pathLine, caption;
    std::vector<LRESULT> types;
    HWND focus = nullptr, driveList = nullptr;
    const Outcome outcome = RunSelectDirectory("Pick a folder", 260, [&](HWND dialog) {
        caption = WindowText(dialog);
        tree = TreeLines(GetDlgItem(dialog, 1013));
        driveList = GetDlgItem(dialog, 1012);
        drives = ComboItems(driveList);
        for (size_t i = 0; i < drives.size(); ++i)
            types.push_back(SendMessageA(driveList, CB_GETITEMDATA, i, 0));
        shownDrive = ComboSelection(driveList);
        pathLine = WindowText(GetDlgItem(dialog, 1014));
        GUITHREADINFO info = {};
        info.cbSize = sizeof info;
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        focus = info.hwndFocus;
        ClickButton(dialog, IDOK);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(caption, "Pick a folder");
    EXPECT_EQ(tree, kRootOfM);
    // Drive types: c: fixed, m: fixed, n: network, o: CD-ROM, q: CD-ROM
    // without a medium, r: removable, z: fixed.
    EXPECT_EQ(drives, (Lines{"c:", "m:", "n:", "o:", "q:", "r:", "z:"}));
    EXPECT_EQ(types, (std::vector<LRESULT>{3, 3, 4, 5, 5, 2, 3}));
    EXPECT_EQ(shownDrive, "m:");
    EXPECT_EQ(pathLine, "m:\\");
    EXPECT_EQ(focus, driveList);
    EXPECT_EQ(outcome.result, 3);
    EXPECT_EQ(outcome.directory, "m:\\");
    EXPECT_EQ(g_ownerWindow, TestOwner());
}

TEST(SelectDirectory, OpeningFoldersKeepsOnlyTheChainAndItsSubfolders) {
    StartOnDriveM();
    Lines afterMaps, afterSub, afterRoot;
    std::string lineMaps, lineSub, lineRoot;
    const Outcome outcome = RunSelectDirectory("Open folders", 260, [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, 1013);
        HWND line = GetDlgItem(dialog, 1014);
        DoubleClickFolder(dialog, "maps");
        afterMaps = TreeLines(tree);
        lineMaps = WindowText(line);
        DoubleClickFolder(dialog, "sub folder");
        afterSub = TreeLines(tree);
        lineSub = WindowText(line);
        DoubleClickFolder(dialog, "m:\\");
        afterRoot = TreeLines(tree);
        lineRoot = WindowText(line);
        DoubleClickFolder(dialog, "data");
        ClickButton(dialog, IDOK);
    });
    ASSERT_TRUE(outcome.found);
    EXPECT_EQ(afterMaps, (Lines{"m:\\ (open)+", "  maps (open)+", "    .hidden maps (closed)",
                                "    archive.tab (closed)", "    sub folder (closed)"}));
    EXPECT_EQ(lineMaps, "m:\\maps\\");
    // A folder without subfolders opens to an empty level.
    EXPECT_EQ(afterSub, (Lines{"m:\\ (open)+", "  maps (open)+", "    sub folder (open)"}));
    EXPECT_EQ(lineSub, "m:\\maps\\sub folder\\");
    // Opening the root drops the chain and lists its subfolders anew.
    EXPECT_EQ(afterRoot, kRootOfM);
    EXPECT_EQ(lineRoot, "m:\\");
    EXPECT_EQ(outcome.directory, "m:\\data\\");
    EXPECT_EQ(outcome.result, 8);
    char current[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, current);
    EXPECT_EQ(lstrcmpiA(current, "m:\\data"), 0) << current;
}

TEST(SelectDirectory, ASingleClickChangesNothing) {
    StartOnDriveM();
    const Outcome outcome = RunSelectDirectory("Single click", 260, [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, 1013);
        TreeView_SelectItem(tree, FindTreeItem(tree, "maps"));
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(outcome.directory, "m:\\");
}

TEST(SelectDirectory, SizeLimitsWhatIsStoredButNotTheResult) {
    struct Case {
        long size;
        const char *stored;
    };
    const Case cases[] = {
        {260, "m:\\maps\\"}, {8, "m:\\maps\\"}, {7, "m:\\maps"}, {1, "m"}, {0, ""}, {-5, ""}};
    for (const Case &c : cases) {
        StartOnDriveM();
        std::vector<char> buffer(300, 'x');
        {
            DialogDriver driver("Sizes", [](HWND dialog) {
                DoubleClickFolder(dialog, "maps");
                ClickButton(dialog, IDOK);
            });
            const long result = SelectDirectory(TestOwner(), "Sizes", buffer.data(), c.size);
            EXPECT_EQ(result, 8) << "size " << c.size;
        }
        EXPECT_STREQ(buffer.data(), c.stored) << "size " << c.size;
        const size_t end = std::strlen(c.stored);
        EXPECT_EQ(buffer[end + 1], 'x') << "written past the NUL, size " << c.size;
    }
}

TEST(SelectDirectory, CancelEscapeAndCloseReturnZeroAndAnEmptyDirectory) {
    const std::function<void(HWND)> endings[] = {
        [](HWND dialog) {
            DoubleClickFolder(dialog, "maps");
            ClickButton(dialog, IDCANCEL);
        },
        [](HWND dialog) {
            DoubleClickFolder(dialog, "maps");
            PressEscape(dialog);
        },
        [](HWND dialog) { SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0); },
    };
    for (const auto &ending : endings) {
        StartOnDriveM();
        const Outcome outcome = RunSelectDirectory("Cancelled", 5, ending);
        EXPECT_TRUE(outcome.found);
        EXPECT_EQ(outcome.result, 0);
        EXPECT_EQ(outcome.directory, "");
    }
}

TEST(SelectDirectory, DriveChangeShowsTheNewRootAndWinsOverAnOpenedFolder) {
    StartOnDriveM();
    Lines tree;
    std::string line;
    const Outcome outcome = RunSelectDirectory("Drives", 260, [&](HWND dialog) {
        DoubleClickFolder(dialog, "maps");
        ChooseDrive(dialog, "r:");
        tree = TreeLines(GetDlgItem(dialog, 1013));
        line = WindowText(GetDlgItem(dialog, 1014));
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(tree, (Lines{"r:\\ (open)+", "  field data (closed)"}));
    EXPECT_EQ(line, "r:\\");
    EXPECT_EQ(outcome.directory, "r:\\");
    EXPECT_EQ(outcome.result, 3);
    // The drive was made current only to test it: the start drive is current.
    EXPECT_EQ(_getdrive(), 13);
}

TEST(SelectDirectory, DriveWithoutMediumWarnsTheCallersWindowAndKeepsTheTree) {
    StartOnDriveM();
    MessageCapture capture;
    Lines before, after;
    std::string line, shown;
    const Outcome outcome = RunSelectDirectory("No medium", 260, [&](HWND dialog) {
        DoubleClickFolder(dialog, "data");
        before = TreeLines(GetDlgItem(dialog, 1013));
        ChooseDrive(dialog, "q:");
        after = TreeLines(GetDlgItem(dialog, 1013));
        line = WindowText(GetDlgItem(dialog, 1014));
        shown = ComboSelection(GetDlgItem(dialog, 1012));
        ClickButton(dialog, IDOK);
    });
    const std::vector<CapturedMessage> messages = capture.messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].owner, TestOwner());
    EXPECT_EQ(messages[0].text, "Selected drive is not available.");
    EXPECT_EQ(messages[0].caption, "Warning");
    EXPECT_EQ(messages[0].flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(after, before);
    EXPECT_EQ(line, "m:\\data\\");
    EXPECT_EQ(shown, "m:");
    EXPECT_EQ(outcome.directory, "m:\\data\\");
}

// The chain below m:\deep whose last folder has a path of 250 characters.
Lines DeepChain() {
    Lines chain = {"deep"};
    for (int i = 1; i <= 26; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "level%02dx", i);
        chain.push_back(name);
    }
    chain.push_back("lastone");
    return chain;
}

std::string DeepPath() {
    std::string path = "m:\\";
    for (const std::string &folder : DeepChain())
        path += folder + "\\";
    return path;
}

TEST(SelectDirectory, DeepFoldersShortenThePathLineAndRefuseOverLongPaths) {
    StartOnDriveM();
    ASSERT_EQ(DeepPath().size(), 250u);
    std::string lineDeep, lineAfterRefusal;
    Lines treeBefore, treeAfter;
    const Outcome outcome = RunSelectDirectory("Deep", 300, [&](HWND dialog) {
        HWND tree = GetDlgItem(dialog, 1013);
        if (!OpenFolders(dialog, DeepChain()))
            return;
        lineDeep = WindowText(GetDlgItem(dialog, 1014));
        treeBefore = TreeLines(tree);
        // m:\deep\...\lastone\toodeep12\ would need 260 characters.
        DoubleClickFolder(dialog, "toodeep12");
        treeAfter = TreeLines(tree);
        lineAfterRefusal = WindowText(GetDlgItem(dialog, 1014));
        DoubleClickFolder(dialog, "fits8dir");
        ClickButton(dialog, IDOK);
    });
    EXPECT_EQ(lineDeep, "m:\\...\\lastone");
    ASSERT_GE(treeBefore.size(), 3u);
    EXPECT_EQ(treeBefore[treeBefore.size() - 2], std::string(58, ' ') + "fits8dir (closed)");
    // Refused like a folder that cannot be entered: only its image changed.
    ASSERT_EQ(treeAfter.size(), treeBefore.size());
    EXPECT_EQ(treeAfter.back(), std::string(58, ' ') + "toodeep12 (open)");
    EXPECT_EQ(lineAfterRefusal, lineDeep);
    EXPECT_EQ(outcome.directory, DeepPath() + "fits8dir\\");
    EXPECT_EQ(outcome.result, 259);
}

TEST(SelectDirectory, LongTitleIsCutAndAFailedStartIsMinusOne) {
    StartOnDriveM();
    const std::string title(400, 'T');
    int captionLength = 0;
    {
        DialogDriver driver(std::string(259, 'T').c_str(), [&](HWND dialog) {
            captionLength = GetWindowTextLengthA(dialog);
            ClickButton(dialog, IDCANCEL);
        });
        char directory[8] = "x";
        EXPECT_EQ(SelectDirectory(TestOwner(), title.c_str(), directory, 7), 0);
    }
    EXPECT_EQ(captionLength, 259);

    // A module without the dialog template: the dialog cannot be created.
    const HINSTANCE saved = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    char directory[16] = "unchanged";
    const long failed = SelectDirectory(TestOwner(), "No template", directory, 15);
    g_moduleInstance = saved;
    EXPECT_EQ(failed, -1);
    EXPECT_STREQ(directory, "");
    EXPECT_EQ(SelectDirectory(TestOwner(), "Null buffer", nullptr, 10), -1);
}

} // namespace
