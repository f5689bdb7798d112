// Real X input (xdotool) and the window manager's requests arrive as WM_ messages.
#include <gtest/gtest.h>

#include <QWidget>

#include "UiTestSupport.h"

namespace {

class CInputWnd : public CWnd {
 public:
  std::vector<Message> messages;
  bool Has(UINT m) const {
    for (const Message& x : messages) {
      if (x.message == m) return true;
    }
    return false;
  }
  const Message* Last(UINT m) const {
    for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
      if (it->message == m) return &*it;
    }
    return nullptr;
  }

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_PAINT) messages.push_back({message, wParam, lParam});
    return CWnd::WindowProc(message, wParam, lParam);
  }
};

class WndInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(std::getenv("DISPLAY"), nullptr);
    ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, CRect(0, 0, 400, 300), nullptr, 0));
    id = std::to_string(IdFromHwnd(wnd.m_hWnd));
    ASSERT_TRUE(RunTool("xdotool mousemove 100 100"));
    ASSERT_TRUE(PumpUntil([&] { return wnd.GetWidget()->isActiveWindow(); }));
    Pump(5);
    wnd.messages.clear();
  }
  void TearDown() override { wnd.DestroyWindow(); }
  CInputWnd wnd;
  std::string id;
};

TEST_F(WndInput, PointerMovesAskForTheCursorThenReportClientCoordinates) {
  ASSERT_TRUE(RunTool("xdotool mousemove 101 102"));
  ASSERT_TRUE(PumpUntil([&] { return wnd.Has(WM_MOUSEMOVE); }));
  const Message* move = wnd.Last(WM_MOUSEMOVE);
  EXPECT_EQ(GET_X_LPARAM(move->lParam), 101);
  EXPECT_EQ(GET_Y_LPARAM(move->lParam), 102);
  ASSERT_GE(wnd.messages.size(), 2u);
  EXPECT_EQ(wnd.messages[0].message, WM_SETCURSOR);
  EXPECT_EQ(LOWORD(wnd.messages[0].lParam), HTCLIENT);
  EXPECT_EQ(HIWORD(wnd.messages[0].lParam), WM_MOUSEMOVE);
}

TEST_F(WndInput, ButtonsGiveTheirMessagesAndTheWheelNone) {
  struct Case {
    const char* button;
    UINT down;
    UINT up;
  };
  for (const Case& c : {Case{"1", WM_LBUTTONDOWN, WM_LBUTTONUP}, Case{"2", WM_MBUTTONDOWN, WM_MBUTTONUP},
                        Case{"3", WM_RBUTTONDOWN, WM_RBUTTONUP}}) {
    wnd.messages.clear();
    ASSERT_TRUE(RunTool(std::string("xdotool click ") + c.button));
    EXPECT_TRUE(PumpUntil([&] { return wnd.Has(c.up); })) << c.button;
    EXPECT_TRUE(wnd.Has(c.down)) << c.button;
  }
  wnd.messages.clear();
  ASSERT_TRUE(RunTool("xdotool click 4 click 5"));
  Pump(20);
  for (UINT m : {WM_LBUTTONDOWN, WM_MBUTTONDOWN, WM_RBUTTONDOWN}) EXPECT_FALSE(wnd.Has(m));
}

TEST_F(WndInput, KeysAreKeyDownsAndAltF10AndAltKeysAreSystemKeys) {
  struct Case {
    const char* keys;
    UINT message;
    UINT vk;
  };
  for (const Case& c : {Case{"a", WM_KEYDOWN, 'A'}, Case{"Escape", WM_KEYDOWN, VK_ESCAPE}, Case{"F10", WM_SYSKEYDOWN, VK_F10},
                        Case{"Alt_L", WM_SYSKEYDOWN, VK_MENU}, Case{"alt+F4", WM_SYSKEYDOWN, VK_F4}}) {
    wnd.messages.clear();
    ASSERT_TRUE(RunTool(std::string("xdotool key ") + c.keys));
    auto found = [&] {
      for (const Message& m : wnd.messages) {
        if (m.message == c.message && m.wParam == c.vk) return true;
      }
      return false;
    };
    EXPECT_TRUE(PumpUntil(found)) << c.keys;
    PumpUntil([&] { return wnd.Has(WM_KEYUP) || wnd.Has(WM_SYSKEYUP) || !wnd.m_hWnd; });
  }
  // Alt+F4 by default asks to close: the window is gone.
  EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST_F(WndInput, TheWindowManagersCloseRequestIsTheCloseCommand) {
  wnd.GetWidget()->close();
  ASSERT_TRUE(wnd.Has(WM_SYSCOMMAND));
  EXPECT_EQ(wnd.Last(WM_SYSCOMMAND)->wParam, SC_CLOSE);
  EXPECT_TRUE(wnd.Has(WM_CLOSE));
  EXPECT_EQ(wnd.m_hWnd, nullptr);
}

TEST_F(WndInput, AnotherWindowTakingTheFocusDeactivates) {
  CInputWnd other;
  ASSERT_TRUE(other.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, CRect(500, 500, 600, 600), nullptr, 0));
  ASSERT_TRUE(RunTool("xdotool windowfocus --sync " + std::to_string(IdFromHwnd(other.m_hWnd))));
  ASSERT_TRUE(PumpUntil([&] { return wnd.Has(WM_ACTIVATE); }));
  EXPECT_EQ(LOWORD(wnd.Last(WM_ACTIVATE)->wParam), WA_INACTIVE);
  ASSERT_TRUE(wnd.Has(WM_NCACTIVATE));
  EXPECT_EQ(wnd.Last(WM_NCACTIVATE)->wParam, static_cast<WPARAM>(FALSE));
  other.DestroyWindow();
}

}  // namespace
