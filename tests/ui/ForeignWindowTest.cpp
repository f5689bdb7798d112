// A window of another program as parent: the host preview's case.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <X11/Xlib.h>

#include "UiTestSupport.h"

namespace {

class CChildWnd : public CWnd {
 public:
  bool destroyed = false;

 protected:
  void PostNcDestroy() override { destroyed = true; }
};

// A plain X11 window on a connection of its own, as another program would make it.
class ForeignWindow {
 public:
  ForeignWindow(int w, int h) : display_(XOpenDisplay(nullptr)) {
    window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 30, 40, w, h, 0, 0, 0);
    XMapWindow(display_, window_);
    XSync(display_, False);
  }
  ~ForeignWindow() {
    Destroy();
    XCloseDisplay(display_);
  }
  void Destroy() {
    if (window_) XDestroyWindow(display_, window_);
    window_ = 0;
    XSync(display_, False);
  }
  HWND hwnd() const { return HwndFromId(window_); }
  Window parentOf(std::uint64_t child) const {
    Window root = 0, parent = 0, *children = nullptr;
    unsigned count = 0;
    XQueryTree(display_, static_cast<Window>(child), &root, &parent, &children, &count);
    if (children) XFree(children);
    return parent;
  }

 private:
  Display* display_;
  Window window_;
};

TEST(ForeignWindowParent, ChildFillsTheHostAndGoesWhenTheHostGoes) {
  ForeignWindow host(320, 240);
  CWnd* wrapper = CWnd::FromHandle(host.hwnd());
  ASSERT_NE(wrapper, nullptr);
  EXPECT_EQ(CWnd::FromHandle(host.hwnd()), wrapper);  // one lasting wrapper
  CRect rc;
  wrapper->GetClientRect(&rc);
  EXPECT_EQ(rc, CRect(0, 0, 320, 240));

  CChildWnd child;
  ASSERT_TRUE(child.CreateEx(0, nullptr, L"", WS_CHILD | WS_VISIBLE, rc, wrapper, 0));
  Pump(10);
  EXPECT_EQ(host.parentOf(IdFromHwnd(child.m_hWnd)), static_cast<Window>(IdFromHwnd(host.hwnd())));
  CRect childRect;
  child.GetWindowRect(&childRect);
  EXPECT_EQ(childRect.Width(), 320);
  EXPECT_EQ(childRect.Height(), 240);

  host.Destroy();
  EXPECT_TRUE(PumpUntil([&] { return child.destroyed; }));
  EXPECT_EQ(child.m_hWnd, nullptr);
}

TEST(ForeignWindowParent, ClientRectOfAGoneWindowIsEmpty) {
  EXPECT_FALSE(::GetClientRect(HwndFromId(0x7FFFFF03), nullptr));
  ForeignWindow host(10, 10);
  const HWND h = host.hwnd();
  host.Destroy();
  CRect rc(1, 2, 3, 4);
  EXPECT_FALSE(::GetClientRect(h, &rc));
}

}  // namespace
