// The class library's point, size and rectangle records.
#pragma once

#include "wintypes.h"

using LPPOINT = POINT*;

// Symmetric comparisons on the plain records serve the classes too (!= follows from ==).
inline bool operator==(const POINT& a, const POINT& b) { return a.x == b.x && a.y == b.y; }
inline bool operator==(const SIZE& a, const SIZE& b) { return a.cx == b.cx && a.cy == b.cy; }
inline bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class CPoint : public POINT {
 public:
  CPoint() : POINT{0, 0} {}
  CPoint(int x0, int y0) : POINT{x0, y0} {}
  CPoint(POINT p) : POINT(p) {}  // NOLINT: implicit as in the framework
};

class CSize : public SIZE {
 public:
  CSize() : SIZE{0, 0} {}
  CSize(int cx0, int cy0) : SIZE{cx0, cy0} {}
  CSize(SIZE s) : SIZE(s) {}  // NOLINT
};

class CRect : public RECT {
 public:
  CRect() : RECT{0, 0, 0, 0} {}
  CRect(int l, int t, int r, int b) : RECT{l, t, r, b} {}
  CRect(const RECT& r) : RECT(r) {}  // NOLINT
  CRect(POINT topLeft, SIZE size) : RECT{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy} {}

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  CSize Size() const { return CSize(Width(), Height()); }
  CPoint TopLeft() const { return CPoint(left, top); }
  CPoint BottomRight() const { return CPoint(right, bottom); }
  bool IsRectEmpty() const { return right <= left || bottom <= top; }
  bool PtInRect(POINT p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void SetRect(int l, int t, int r, int b) { left = l, top = t, right = r, bottom = b; }
  void SetRectEmpty() { SetRect(0, 0, 0, 0); }
  void OffsetRect(int dx, int dy) { left += dx, right += dx, top += dy, bottom += dy; }
  void InflateRect(int dx, int dy) { left -= dx, right += dx, top -= dy, bottom += dy; }
  operator LPRECT() { return this; }         // NOLINT
  operator LPCRECT() const { return this; }  // NOLINT
};
