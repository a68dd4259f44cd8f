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
    AFX_MODULE_STATE host = {nullptr, nullptr};
    AFX_MAINTAIN_STATE2 hostState(&host);
    EXPECT_EQ(RunExport(HINSTANCE{}, [] { return AfxGetResourceHandle(); }), g_moduleInstance);
    // An exception becomes the failure result; early returns of exports
    // leave the host's state as found too.
    EXPECT_EQ(RunExport(-1L, []() -> long { throw std::runtime_error("inside an export"); }), -1);
    RunVoidExport([] { throw 1; });
    ParsePath(nullptr, nullptr, nullptr, nullptr, nullptr);
    // With any output missing nothing is written, the others included.
    char drive[8] = "-", dir[8] = "-", ext[8] = "-";
    ParsePath("c:\\maps\\roads.tab", drive, dir, nullptr, ext);
    EXPECT_EQ(std::string(drive) + dir + ext, "---");
    EXPECT_EQ(SetDirectoryImpl(nullptr) * 10 + SetDirectoryImpl("c:\\no\\such folder"), -11);
    EXPECT_EQ(AfxGetModuleState(), &host);
}

TEST(Messages, TextCaptionFlagsAndTheLatestOwnerReachTheBox) {
    // Each export sets the owner again, so it is not restored here.
    const HWND owner = reinterpret_cast<HWND>(0x1234);
    MessageCapture capture;
    g_ownerWindow = owner;
    ShowMessage(IDS_NO_TY_ARRAY, IDS_CALCULATE_TRANSFORM_PARAMS, kMessageErrorIcon);
    ShowLineError(IDS_LINE_NO_Y_OLD, LONG_MIN);
    g_ownerWindow = nullptr;
    ShowLineError(2008, 5); // no such row: an empty template
    std::string shown;
    for (const CapturedMessage &m : capture.messages())
        shown += m.text + "|" + m.caption + "|" + std::to_string(m.flags) +
                 (m.owner == owner ? "\n" : " (other owner)\n");
    EXPECT_EQ(shown, "Out of memory: cannot allocate TY array.|CalculateTransformParams|16\n"
                     "Error in line -2147483648 of input data file: y_old not found|"
                     "ReadControlPoints|0\n|ReadControlPoints|0 (other owner)\n");
}

} // namespace
