// The About box on the display. It is modal, so a second thread plays the
// user: it waits for the box, reads it back and closes it.
#include "splash/about_box.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "frame/app.h"
#include "res/resource.h"
#include "tests/splash/banner_probe.h"

namespace {

// Runs user on another thread once this thread shows a dialog, while this
// thread runs the About box. Should the box outlive user, it is ended with
// AutoLoad so that a failing test cannot hang.
class AboutSession {
  public:
    explicit AboutSession(std::function<void(HWND)> user)
        : owner_(GetCurrentThreadId()), worker_([this, user] {
              HWND dialog = nullptr;
              for (int i = 0; i < 1000 && dialog == nullptr; ++i) {
                  dialog = FindThreadDialog(owner_);
                  if (dialog == nullptr)
                      Sleep(5);
              }
              found_ = dialog != nullptr;
              if (dialog == nullptr)
                  return;
              user(dialog);
              for (int i = 0; i < 200 && IsWindow(dialog); ++i)
                  Sleep(5);
              if (IsWindow(dialog)) {
                  leftOpen_ = true;
                  PostMessageA(dialog, WM_COMMAND, IDC_AUTOLOAD, 0);
              }
          }) {}
    ~AboutSession() {
        if (worker_.joinable())
            worker_.join();
    }
    AboutSession(const AboutSession &) = delete;
    AboutSession &operator=(const AboutSession &) = delete;

    void Join() { worker_.join(); }
    bool found() const { return found_; }
    bool leftOpen() const { return leftOpen_; }

  private:
    DWORD owner_;
    std::atomic<bool> found_{false};
    std::atomic<bool> leftOpen_{false};
    std::thread worker_;
};

void ClickOk(HWND dialog) {
    PostMessageA(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
}

// Key presses go to the focused control through the box's message loop, as
// typed keys do.
void PressKey(HWND dialog, WPARAM key) {
    HWND target = GetDlgItem(dialog, IDOK);
    PostMessageA(target, WM_KEYDOWN, key, 1);
    PostMessageA(target, WM_KEYUP, key, 0xC0000001);
}

class AboutBoxTest : public testing::Test {
  protected:
    void SetUp() override {
        host_ = CreateHostWindow("Tessaro", 20, 20);
        ASSERT_NE(host_, nullptr);
    }
    void TearDown() override { DestroyWindow(host_); }

    long About(const char *product, const char *user, const char *organisation) {
        return AboutOrtelan(host_, product, "4.0", "unused", user, organisation);
    }

    HWND host_ = nullptr;
};

TEST_F(AboutBoxTest, DefaultVariantShowsEveryControlAndEndsWithOk) {
    HWND seenOwner = nullptr;
    AboutSession session([&](HWND dialog) {
        seenOwner = GetWindow(dialog, GW_OWNER);
        CheckBannerBox(dialog, {BoxKind::AboutDefault, "Veltrane Ortelan 4.0",
                                "Geological Survey of Tessaro", "User:   J. Smith"});
        Sleep(300);
        SaveScreenshot(dialog, "about_default");
        ClickOk(dialog);
    });
    EXPECT_EQ(About("Ortelan", "J. Smith", "Geological Survey of Tessaro"), 0);
    session.Join();
    EXPECT_TRUE(session.found());
    EXPECT_FALSE(session.leftOpen());
    EXPECT_EQ(seenOwner, host_);
}

TEST_F(AboutBoxTest, HalcyraVariantShowsEveryControl) {
    AboutSession session([&](HWND dialog) {
        CheckBannerBox(dialog, {BoxKind::AboutHalcyra, "Halcyra 4.0", "Veltrane Field Office", ""});
        Sleep(300);
        SaveScreenshot(dialog, "about_halcyra");
        ClickOk(dialog);
    });
    EXPECT_EQ(About("Halcyra", "X", "Veltrane Field Office"), 0);
    session.Join();
    EXPECT_TRUE(session.found());
    EXPECT_FALSE(session.leftOpen());
}

TEST_F(AboutBoxTest, EscapeAndCloseDoNotEndTheBox) {
    std::atomic<bool> openAfterKeys{false};
    AboutSession session([&](HWND dialog) {
        PressKey(dialog, VK_ESCAPE);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
        Sleep(400);
        openAfterKeys = IsWindow(dialog) && IsWindowVisible(dialog);
        PressKey(dialog, VK_RETURN); // the default button is OK
    });
    EXPECT_EQ(About("Ortelan", "x", ""), 0);
    session.Join();
    EXPECT_TRUE(openAfterKeys);
    EXPECT_FALSE(session.leftOpen()) << "Enter did not press OK";
}

TEST_F(AboutBoxTest, HiddenAutoLoadCommandEndsWithResultZero) {
    AboutSession session([&](HWND dialog) {
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, IDC_AUTOLOAD)));
        PostMessageA(dialog, WM_COMMAND, IDC_AUTOLOAD, 0);
    });
    EXPECT_EQ(About("Halcyra", "x", ""), 1);
    session.Join();
    EXPECT_FALSE(session.leftOpen());
}

TEST_F(AboutBoxTest, OnlyTheWholeCommandParameterCounts) {
    // A notification code other than a click on OK's id ends nothing.
    AboutSession session([&](HWND dialog) {
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, EN_CHANGE), 0);
        Sleep(300);
        EXPECT_TRUE(IsWindow(dialog));
        ClickOk(dialog);
    });
    EXPECT_EQ(About("Ortelan", "x", ""), 0);
    session.Join();
}

TEST_F(AboutBoxTest, NeitherReadsNorChangesTheOwnerWindow) {
    HWND other = CreateHostWindow("Another host", 300, 20);
    g_ownerWindow = other;
    HWND seenOwner = nullptr;
    AboutSession session([&](HWND dialog) {
        seenOwner = GetWindow(dialog, GW_OWNER);
        ClickOk(dialog);
    });
    EXPECT_EQ(About("Ortelan", "x", ""), 0);
    session.Join();
    EXPECT_EQ(seenOwner, host_);
    EXPECT_EQ(g_ownerWindow, other);
    DestroyWindow(other);
}

TEST_F(AboutBoxTest, DialogThatCannotBeCreatedGivesZero) {
    const HINSTANCE library = g_moduleInstance;
    g_moduleInstance = GetModuleHandleA("kernel32.dll");
    const long result = About("Ortelan", "x", "");
    g_moduleInstance = library;
    EXPECT_EQ(result, 0);
}

TEST_F(AboutBoxTest, FontsLiveWithTheBoxAndDoNotAccumulate) {
    for (int cycle = 0; cycle < 200; ++cycle) {
        std::vector<HFONT> fonts;
        std::atomic<bool> aliveWhileOpen{false};
        AboutSession session([&](HWND dialog) {
            fonts = BoxFonts(dialog);
            bool alive = fonts.size() == 4;
            for (HFONT font : fonts)
                alive = alive && GetObjectType(font) == OBJ_FONT;
            aliveWhileOpen = alive;
            ClickOk(dialog);
        });
        ASSERT_EQ(About(cycle % 2 ? "Halcyra" : "Ortelan", "x", ""), 0);
        session.Join();
        ASSERT_TRUE(aliveWhileOpen) << "cycle " << cycle;
        for (HFONT font : fonts)
            ASSERT_EQ(GetObjectType(font), 0u) << "font of cycle " << cycle << " still alive";
    }
}

} // namespace
