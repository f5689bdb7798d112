// Drawing contexts: what is drawn reaches the X window, what is not drawn is left alone.
#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include "UiTestSupport.h"

namespace {

class CTextWnd : public CWnd {
 public:
  CString text;
  bool draw = true;
  COLORREF fill = RGB(0, 0, 0);
  int paints = 0;

 protected:
  DECLARE_MESSAGE_MAP()
  afx_msg void OnPaint() {
    CPaintDC dc(this);
    ++paints;
    if (!draw) return;
    CRect rc;
    GetClientRect(&rc);
    CBrush brush(fill);
    dc.FillRect(&rc, &brush);
    dc.SetTextColor(RGB(255, 255, 255));
    dc.SetBkColor(RGB(0, 0, 0));
    dc.DrawTextW(text, -1, &rc, DT_CENTER | DT_WORDBREAK);
  }
  afx_msg BOOL OnEraseBkgnd(CDC*) { return TRUE; }
};

BEGIN_MESSAGE_MAP(CTextWnd, CWnd)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
END_MESSAGE_MAP()

QImage Grab(const CWnd& wnd) {
  return QGuiApplication::primaryScreen()->grabWindow(static_cast<WId>(IdFromHwnd(wnd.m_hWnd))).toImage().convertToFormat(QImage::Format_RGB32);
}

// Rows holding a white pixel, and the horizontal extent of the white pixels.
struct Ink {
  int rows = 0, top = -1, bottom = -1, left = 1 << 30, right = -1;
};
Ink FindInk(const QImage& image) {
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    bool any = false;
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) > 160) {
        any = true;
        ink.left = std::min(ink.left, x);
        ink.right = std::max(ink.right, x);
      }
    }
    if (any) {
      ++ink.rows;
      if (ink.top < 0) ink.top = y;
      ink.bottom = y;
    }
  }
  return ink;
}

QImage PaintAndGrab(CTextWnd& wnd, const wchar_t* text, int width, int height) {
  wnd.text = text;
  EXPECT_TRUE(wnd.CreateEx(0, nullptr, L"", WS_POPUP | WS_VISIBLE, CRect(0, 0, width, height), nullptr, 0));
  PumpUntil([&] { return wnd.paints > 0; });
  Pump(5);
  return Grab(wnd);
}

TEST(Paint, TextIsWhiteOnBlackCentredFromTheTop) {
  CTextWnd wnd;
  const QImage image = PaintAndGrab(wnd, L"Orvane Movie Screen Saver", 600, 200);
  const Ink ink = FindInk(image);
  ASSERT_GT(ink.rows, 5);
  EXPECT_LT(ink.top, 10);  // from the top edge
  EXPECT_NEAR((ink.left + ink.right) / 2.0, 300, 8);  // centred
  EXPECT_EQ(qGray(image.pixel(5, 150)), 0);  // black fill
  wnd.DestroyWindow();
}

TEST(Paint, LongTextBreaksAtWordsIntoSeveralLines) {
  CTextWnd wide, narrow;
  const Ink one = FindInk(PaintAndGrab(wide, L"Orvane Movie Screen Saver", 600, 200));
  const Ink several = FindInk(PaintAndGrab(narrow, L"Orvane Movie Screen Saver", 90, 200));
  EXPECT_GT(several.bottom - several.top, 2 * (one.bottom - one.top));
  wide.DestroyWindow();
  narrow.DestroyWindow();
}

TEST(Paint, JapaneseGlyphsAreDrawnNotBoxes) {
  // Missing glyphs all draw the same box; real ones differ from each other.
  CTextWnd a, b;
  const QImage first = PaintAndGrab(a, L"再", 60, 40);
  const QImage second = PaintAndGrab(b, L"有", 60, 40);
  EXPECT_GT(FindInk(first).rows, 8);
  EXPECT_GT(FindInk(second).rows, 8);
  EXPECT_NE(first, second);
  a.DestroyWindow();
  b.DestroyWindow();
}

TEST(Paint, APaintThatDrawsNothingLeavesTheWindowsPixels) {
  CTextWnd wnd;
  wnd.fill = RGB(200, 0, 0);
  PaintAndGrab(wnd, L"", 120, 80);
  wnd.draw = false;
  const int before = wnd.paints;
  wnd.Invalidate(FALSE);
  ASSERT_TRUE(PumpUntil([&] { return wnd.paints > before; }));
  const QImage after = Grab(wnd);
  EXPECT_EQ(after.pixel(60, 40), qRgb(200, 0, 0));
  wnd.DestroyWindow();
}

}  // namespace
