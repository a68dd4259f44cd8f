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

class OwnerWindowScope {
  public:
    explicit OwnerWindowScope(HWND owner) : saved_(g_ownerWindow) { g_ownerWindow = owner; }
    ~OwnerWindowScope() { g_ownerWindow = saved_; }

  private:
    HWND saved_;
};

HWND FakeWindow(UINT_PTR value) {
    return reinterpret_cast<HWND>(value);
}

TEST(ApplicationObject, InitInstanceStoredTheModuleHandle) {
    EXPECT_EQ(g_moduleInstance, GetModuleHandleA(nullptr));
    ASSERT_NE(AfxGetApp(), nullptr);
    EXPECT_EQ(AfxGetApp()->m_pszAppName, nullptr);
}

TEST(ModuleStateGuard, ExportRunsUnderTheLibraryStateAndRestoresTheHost) {
    AFX_MODULE_STATE host = {nullptr, nullptr};
    AFX_MAINTAIN_STATE2 hostState(&host);
    AFX_MODULE_STATE *inside = nullptr;
    const long result = RunExport(0L, [&] {
        inside = AfxGetModuleState();
        return 7L;
    });
    EXPECT_EQ(result, 7);
    EXPECT_EQ(inside, AfxGetStaticModuleState());
    EXPECT_EQ(AfxGetModuleState(), &host);
}

TEST(ModuleStateGuard, ExceptionBecomesTheFailureResultAndStateIsRestored) {
    AFX_MODULE_STATE host = {nullptr, nullptr};
    AFX_MAINTAIN_STATE2 hostState(&host);
    const long result =
        RunExport(-1L, []() -> long { throw std::runtime_error("inside an export"); });
    EXPECT_EQ(result, -1);
    EXPECT_EQ(AfxGetModuleState(), &host);
}

TEST(ModuleStateGuard, EarlyReturnsOfExportsLeaveTheHostStateAsFound) {
    AFX_MODULE_STATE host = {nullptr, nullptr};
    AFX_MAINTAIN_STATE2 hostState(&host);
    ParsePath(nullptr, nullptr, nullptr, nullptr, nullptr);
    EXPECT_EQ(AfxGetModuleState(), &host);
    EXPECT_EQ(SetDirectoryImpl(nullptr), -1);
    EXPECT_EQ(AfxGetModuleState(), &host);
}

TEST(ModuleStateGuard, LibraryResourcesResolveThroughTheLibraryState) {
    EXPECT_EQ(AfxGetStaticModuleState()->m_hCurrentResourceHandle, g_moduleInstance);
    RunVoidExport([] { EXPECT_EQ(AfxGetResourceHandle(), g_moduleInstance); });
}

TEST(ShowMessage, LoadsTextAndCaptionAndPassesFlagsToTheOwner) {
    OwnerWindowScope owner(FakeWindow(0x1234));
    MessageCapture capture;
    ShowMessage(IDS_NO_TY_ARRAY, IDS_CALCULATE_TRANSFORM_PARAMS, kMessageErrorIcon);
    ShowMessage(IDS_DRIVE_NOT_AVAILABLE, IDS_WARNING, kMessageWarningIcon);
    ASSERT_EQ(capture.messages().size(), 2u);
    const CapturedMessage first = capture.messages()[0];
    EXPECT_EQ(first.owner, FakeWindow(0x1234));
    EXPECT_EQ(first.text, "Out of memory: cannot allocate TY array.");
    EXPECT_EQ(first.caption, "CalculateTransformParams");
    EXPECT_EQ(first.flags, 0x10u);
    EXPECT_EQ(capture.messages()[1].text, "Selected drive is not available.");
    EXPECT_EQ(capture.messages()[1].caption, "Warning");
    EXPECT_EQ(capture.messages()[1].flags, 0x30u);
}

TEST(ShowMessage, FollowsTheLatestOwnerAndAllowsNone) {
    MessageCapture capture;
    {
        OwnerWindowScope owner(nullptr);
        ShowMessage(IDS_WARNING, IDS_WARNING, 0);
    }
    {
        OwnerWindowScope ownerA(FakeWindow(0xA));
        OwnerWindowScope ownerB(FakeWindow(0xB));
        ShowMessage(IDS_WARNING, IDS_WARNING, 0);
    }
    ASSERT_EQ(capture.messages().size(), 2u);
    EXPECT_EQ(capture.messages()[0].owner, nullptr);
    EXPECT_EQ(capture.messages()[1].owner, FakeWindow(0xB));
}

struct LineCase {
    unsigned templateId;
    long number;
    const char *text;
};

class ShowLineErrorTable : public testing::TestWithParam<LineCase> {};

TEST_P(ShowLineErrorTable, FormatsTheNumberUnderTheFixedCaption) {
    OwnerWindowScope owner(FakeWindow(0x77));
    MessageCapture capture;
    ShowLineError(GetParam().templateId, GetParam().number);
    ASSERT_EQ(capture.messages().size(), 1u);
    const CapturedMessage shown = capture.messages()[0];
    EXPECT_EQ(shown.text, GetParam().text);
    EXPECT_EQ(shown.caption, "ReadControlPoints");
    EXPECT_EQ(shown.flags, 0u);
    EXPECT_EQ(shown.owner, FakeWindow(0x77));
}

INSTANTIATE_TEST_SUITE_P(
    Templates, ShowLineErrorTable,
    testing::Values(
        LineCase{2018, 17, "Error in line 17 of input data file: missing x_old coordinate"},
        LineCase{2024, 1, "Error in line 1 of input data file: missing y_new coordinate"},
        LineCase{2021, LONG_MAX, "Error in line 2147483647 of input data file: x_new not found"},
        LineCase{2019, LONG_MIN, "Error in line -2147483648 of input data file: y_old not found"},
        // A template id without a row formats an empty template.
        LineCase{2008, 5, ""}));

} // namespace
