// Message maps, default processing, posted messages and the destruction sequence.
#include <gtest/gtest.h>

#include <thread>

#include "UiTestSupport.h"

namespace {

constexpr UINT WM_TEST = WM_APP + 5;

std::vector<std::string>* g_log = nullptr;

class CBaseWnd : public CWnd {
 public:
  std::vector<std::string> log;
  std::vector<WPARAM> posted;
  bool autoDelete = false;
  bool* deleted = nullptr;
  ~CBaseWnd() override {
    if (deleted) *deleted = true;
  }

 protected:
  DECLARE_MESSAGE_MAP()
  afx_msg int OnCreate(LPCREATESTRUCT cs) {
    log.push_back("create " + std::to_string(cs->cx) + "x" + std::to_string(cs->cy));
    return CWnd::OnCreate(cs);
  }
  afx_msg void OnSize(UINT, int cx, int cy) { log.push_back("size " + std::to_string(cx) + "x" + std::to_string(cy)); }
  afx_msg void OnDestroy() {
    log.push_back("destroy");
    CWnd::OnDestroy();
  }
  afx_msg LRESULT OnTest(WPARAM wp, LPARAM) {
    posted.push_back(wp);
    return 7;
  }
  void PostNcDestroy() override {
    log.push_back(m_hWnd ? "postncdestroy attached" : "postncdestroy");
    if (g_log) *g_log = log;
    if (autoDelete) delete this;
  }
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
  ON_WM_CREATE()
  ON_WM_SIZE()
  ON_WM_DESTROY()
  ON_MESSAGE(WM_TEST, OnTest)
END_MESSAGE_MAP()

// A derived map sees its own entries first and the base entries after them.
class CDerivedWnd : public CBaseWnd {
 public:
  int sysCommands = 0;
  int clicks = 0;

 protected:
  DECLARE_MESSAGE_MAP()
  afx_msg void OnSize(UINT, int cx, int cy) { log.push_back("derived size " + std::to_string(cx) + "x" + std::to_string(cy)); }
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam) {
    ++sysCommands;
    if (nID != SC_CLOSE) CWnd::OnSysCommand(nID, lParam);
  }
  void OnClicked() { ++clicks; }
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
  ON_WM_SIZE()
  ON_WM_SYSCOMMAND()
  ON_BN_CLICKED(1016, OnClicked)
END_MESSAGE_MAP()

CRect Popup(int w, int h) { return CRect(10, 10, 10 + w, 10 + h); }

TEST(WndMessages, CreationSendsCreateThenSizeAndMapsDispatchMostDerivedFirst) {
  CBaseWnd base;
  ASSERT_TRUE(base.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, Popup(200, 100), nullptr, 0));
  EXPECT_EQ(base.log, (std::vector<std::string>{"create 200x100", "size 200x100"}));
  EXPECT_EQ(CWnd::FromHandlePermanent(base.m_hWnd), &base);
  EXPECT_EQ(base.SendMessageW(WM_TEST, 3, 0), 7);

  CDerivedWnd derived;
  ASSERT_TRUE(derived.CreateEx(0, nullptr, L"", WS_POPUP, Popup(64, 32), nullptr, 0));
  EXPECT_EQ(derived.log, (std::vector<std::string>{"create 64x32", "derived size 64x32"}));
  derived.SendMessageW(WM_COMMAND, MAKELONG(1016, BN_CLICKED), 0);
  derived.SendMessageW(WM_COMMAND, MAKELONG(1017, BN_CLICKED), 0);
  EXPECT_EQ(derived.clicks, 1);
  // A real resize reports the new size once.
  derived.MoveWindow(0, 0, 80, 40);
  PumpUntil([&] { return derived.log.back() == "derived size 80x40"; });
  EXPECT_EQ(derived.log.back(), "derived size 80x40");
  base.DestroyWindow();
  derived.DestroyWindow();
}

TEST(WndMessages, PostedMessagesArriveInOrderFromAnyThread) {
  CBaseWnd wnd;
  ASSERT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP, Popup(50, 50), nullptr, 0));
  HWND h = wnd.m_hWnd;
  std::thread worker([h] {
    for (WPARAM i = 0; i < 200; ++i) EXPECT_TRUE(::PostMessageW(h, WM_TEST, i, 0));
  });
  worker.join();
  for (WPARAM i = 200; i < 210; ++i) EXPECT_TRUE(wnd.PostMessageW(WM_TEST, i, 0));
  EXPECT_TRUE(wnd.posted.empty());  // queued, not sent
  PumpUntil([&] { return wnd.posted.size() == 210; });
  ASSERT_EQ(wnd.posted.size(), 210u);
  for (WPARAM i = 0; i < 210; ++i) EXPECT_EQ(wnd.posted[i], i);
  // Windows that are not ours, or no longer exist, take no message.
  EXPECT_FALSE(::PostMessageW(HwndFromId(0x7FFFFF01), WM_TEST, 0, 0));
  wnd.DestroyWindow();
  EXPECT_FALSE(::PostMessageW(h, WM_TEST, 0, 0));
}

TEST(WndMessages, CloseDestroysInOrderAndTheMainWindowEndsTheLoop) {
  std::vector<std::string> finalLog;
  g_log = &finalLog;
  bool deleted = false;
  auto* wnd = new CBaseWnd;
  wnd->autoDelete = true;
  wnd->deleted = &deleted;
  ASSERT_TRUE(wnd->CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, Popup(40, 40), nullptr, 0));
  AfxGetApp()->m_pMainWnd = wnd;
  const HWND h = wnd->m_hWnd;
  ASSERT_TRUE(wnd->PostMessageW(WM_CLOSE, 0, 0));
  ASSERT_TRUE(wnd->PostMessageW(WM_CLOSE, 0, 0));  // a second close finds no window
  // Run returns once the quit message posted at destruction is reached.
  EXPECT_EQ(AfxGetApp()->Run(), 0);
  g_log = nullptr;
  EXPECT_TRUE(deleted);
  EXPECT_EQ(AfxGetApp()->m_pMainWnd, nullptr);
  EXPECT_EQ(finalLog, (std::vector<std::string>{"create 40x40", "size 40x40", "destroy", "postncdestroy"}));
  EXPECT_EQ(CWnd::FromHandlePermanent(h), nullptr);
}

TEST(WndMessages, SystemCloseByDefaultClosesAndAHandlerCanRefuseIt) {
  CBaseWnd plain;
  ASSERT_TRUE(plain.CreateEx(0, nullptr, L"", WS_POPUP, Popup(30, 30), nullptr, 0));
  plain.SendMessageW(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(plain.m_hWnd, nullptr);
  EXPECT_EQ(plain.log.back(), "postncdestroy");

  CDerivedWnd refusing;
  ASSERT_TRUE(refusing.CreateEx(0, nullptr, L"", WS_POPUP, Popup(30, 30), nullptr, 0));
  refusing.SendMessageW(WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_NE(refusing.m_hWnd, nullptr);
  // Alt+F4 by default turns into the close command, which this window refuses.
  refusing.SendMessageW(WM_SYSKEYDOWN, VK_F4, LPARAM{1} << 29);
  EXPECT_EQ(refusing.sysCommands, 2);
  EXPECT_NE(refusing.m_hWnd, nullptr);
  refusing.DestroyWindow();
}

TEST(WndMessages, ChildrenAreDestroyedWithTheirParent) {
  CBaseWnd parent;
  ASSERT_TRUE(parent.CreateEx(0, nullptr, L"", WS_POPUP, Popup(100, 100), nullptr, 0));
  CBaseWnd child;
  ASSERT_TRUE(child.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, CRect(5, 6, 25, 36), &parent, 1018));
  EXPECT_EQ(parent.GetDlgItem(1018), &child);
  EXPECT_EQ(child.GetParent(), &parent);
  CRect rc;
  child.GetClientRect(&rc);
  EXPECT_EQ(rc, CRect(0, 0, 20, 30));
  parent.DestroyWindow();
  EXPECT_EQ(child.m_hWnd, nullptr);
  EXPECT_EQ(child.log.back(), "postncdestroy");
  EXPECT_EQ(parent.log.back(), "postncdestroy");
}

TEST(WndMessages, CreationFailsForAParentThatIsNoWindow) {
  CBaseWnd wnd;
  EXPECT_FALSE(wnd.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, HwndFromId(0x7FFFFF02), nullptr));
  EXPECT_EQ(wnd.m_hWnd, nullptr);
  EXPECT_TRUE(wnd.log.empty());
}

TEST(WndMessages, WindowClassesAreRegisteredOnceAndMissingCursorsAreNull) {
  LPCWSTR a = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
  LPCWSTR b = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW);
  LPCWSTR c = AfxRegisterWndClass(CS_HREDRAW);
  EXPECT_EQ(a, b);
  EXPECT_STRNE(a, c);
  EXPECT_EQ(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(static_cast<std::uintptr_t>(4242))), nullptr);
}

}  // namespace
