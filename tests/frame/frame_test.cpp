// The frame in process: module state guard, owner window, message routines.
#include "frame/app.h"
#include "frame/export_guard.h"
#include "frame/messages.h"
#include "res/resource.h"
#include "tests/frame/captured_messages.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>

extern "C" void __cdecl ParsePath(const char *, char *, char *, char *, char *);
extern "C" long __cdecl SetDirectoryImpl(const char *);

namespace {

TEST(ModuleState, ExportsRunUnderTheLibraryStateAndGiveTheHostsBack) {
    EXPECT_EQ(g_moduleInstance, GetModuleHandleA(nullptr));
    ASSERT_NE(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxGetStaticModuleState()->m_hCurrentResourceHandle, g_moduleInstance);
    AFX_MODULE_STATE host = {nullptr, nullptr};
    AFX_MAINTAIN_STATE2 hostState(&host);
    AFX_MODULE_STATE *inside = nullptr;
    HINSTANCE resources = nullptr;
    EXPECT_EQ(RunExport(0L,
                        [&] {
                            inside = AfxGetModuleState();
                            resources = AfxGetResourceHandle();
                            return 7L;
                        }),
              7);
    EXPECT_EQ(inside, AfxGetStaticModuleState());
    EXPECT_EQ(resources, g_moduleInstance);
    EXPECT_EQ(AfxGetModuleState(), &host);
    // An exception becomes the failure result; early returns of exports
    // leave the host's state as found too.
    EXPECT_EQ(RunExport(-1L, []() -> long { throw std::runtime_error("inside an export"); }), -1);
    RunVoidExport([] { throw 1; });
    ParsePath(nullptr, nullptr, nullptr, nullptr, nullptr);
    // With any output missing nothing is written, the others included.
    char drive[8] = "-", dir[8] = "-", ext[8] = "-";
    ParsePath("c:\\maps\\roads.tab", drive, dir, nullptr, ext);
    EXPECT_EQ(std::string(drive) + dir + ext, "---");
    EXPECT_EQ(SetDirectoryImpl(nullptr), -1);
    EXPECT_EQ(AfxGetModuleState(), &host);
}

TEST(Messages, TextCaptionFlagsAndTheLatestOwnerReachTheBox) {
    const HWND saved = g_ownerWindow;
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    MessageCapture capture;
    g_ownerWindow = owner;
    ShowMessage(IDS_NO_TY_ARRAY, IDS_CALCULATE_TRANSFORM_PARAMS, kMessageErrorIcon);
    ShowLineError(IDS_LINE_MISSING_X_OLD, 17);
    ShowLineError(IDS_LINE_NO_X_NEW, LONG_MAX);
    ShowLineError(IDS_LINE_NO_Y_OLD, LONG_MIN);
    ShowLineError(2008, 5); // no such row: an empty template
    g_ownerWindow = nullptr;
    ShowMessage(IDS_DRIVE_NOT_AVAILABLE, IDS_WARNING, kMessageWarningIcon);
    g_ownerWindow = saved;
    const char *const expected[] = {
        "Out of memory: cannot allocate TY array.|CalculateTransformParams|16",
        "Error in line 17 of input data file: missing x_old coordinate|ReadControlPoints|0",
        "Error in line 2147483647 of input data file: x_new not found|ReadControlPoints|0",
        "Error in line -2147483648 of input data file: y_old not found|ReadControlPoints|0",
        "|ReadControlPoints|0",
        "Selected drive is not available.|Warning|48",
    };
    const std::vector<CapturedMessage> shown = capture.messages();
    ASSERT_EQ(shown.size(), 6u);
    for (size_t i = 0; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].text + "|" + shown[i].caption + "|" + std::to_string(shown[i].flags),
                  expected[i]);
        EXPECT_EQ(shown[i].owner, i < 5 ? owner : nullptr) << i;
    }
}

} // namespace
