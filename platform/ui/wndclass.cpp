// Window classes, cursors and screen metrics.
#include "wndclass.h"

#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <cwchar>
#include <deque>

#include "QtWindowHost.h"

namespace {
std::deque<WindowClass>& Classes() {
  static std::deque<WindowClass> classes;
  return classes;
}
std::deque<QCursor>& Cursors() {
  static std::deque<QCursor> cursors;
  return cursors;
}
constexpr char kClassProperty[] = "ov_window_class";
}  // namespace

LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor, HBRUSH hbrBackground, HICON hIcon) {
  wchar_t name[96];
  std::swprintf(name, 96, L"Afx:%x:%p:%p:%p", nClassStyle, static_cast<void*>(hCursor),
                static_cast<void*>(hbrBackground), static_cast<void*>(hIcon));
  if (const WindowClass* existing = FindWindowClass(name)) return existing->name.c_str();
  Classes().push_back(WindowClass{name, nClassStyle, hCursor, hbrBackground, hIcon});
  return Classes().back().name.c_str();
}

const WindowClass* FindWindowClass(LPCWSTR name) {
  if (!name) return nullptr;
  for (const WindowClass& c : Classes()) {
    if (c.name == name) return &c;
  }
  return nullptr;
}

const WindowClass* FindWindowClassOf(const QWidget* widget) {
  return static_cast<const WindowClass*>(widget->property(kClassProperty).value<void*>());
}

void SetWindowClassOf(QWidget* widget, const WindowClass* cls) {
  widget->setProperty(kClassProperty, QVariant::fromValue(static_cast<void*>(const_cast<WindowClass*>(cls))));
}

HCURSOR CreateCursor(HINSTANCE, int xHotSpot, int yHotSpot, int nWidth, int nHeight, const void* pvANDPlane,
                     const void* pvXORPlane) {
  if (nWidth <= 0 || nHeight <= 0 || !pvANDPlane || !pvXORPlane) return nullptr;
  const auto* andBits = static_cast<const unsigned char*>(pvANDPlane);
  const auto* xorBits = static_cast<const unsigned char*>(pvXORPlane);
  const int stride = (nWidth + 7) / 8;
  // Windows: AND 1 + XOR 0 keeps the screen, AND 0 paints the XOR colour (0 black, 1 white).
  QImage shape(nWidth, nHeight, QImage::Format_MonoLSB);
  QImage mask(nWidth, nHeight, QImage::Format_MonoLSB);
  shape.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  mask.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
  for (int y = 0; y < nHeight; ++y) {
    for (int x = 0; x < nWidth; ++x) {
      const int byte = y * stride + x / 8;
      const int bit = 7 - (x % 8);
      const bool a = (andBits[byte] >> bit) & 1;
      const bool o = (xorBits[byte] >> bit) & 1;
      const bool visible = !a || o;
      shape.setPixel(x, y, visible && !o ? 1 : 0);  // 1: black
      mask.setPixel(x, y, visible ? 1 : 0);
    }
  }
  Cursors().emplace_back(QBitmap::fromImage(shape), QBitmap::fromImage(mask), xHotSpot, yHotSpot);
  return reinterpret_cast<HCURSOR>(&Cursors().back());
}

HCURSOR SetCursor(HCURSOR hCursor) {
  QWidget* target = uihost::CursorTarget();
  if (!target) return nullptr;
  if (hCursor) {
    target->setCursor(*reinterpret_cast<const QCursor*>(hCursor));
  } else {
    target->setCursor(Qt::BlankCursor);
  }
  return nullptr;
}

int GetSystemMetrics(int nIndex) {
  QScreen* screen = QGuiApplication::primaryScreen();
  switch (nIndex) {
    case SM_CXSCREEN:
      return screen ? static_cast<int>(screen->geometry().width() * screen->devicePixelRatio()) : 0;
    case SM_CYSCREEN:
      return screen ? static_cast<int>(screen->geometry().height() * screen->devicePixelRatio()) : 0;
    case SM_CXICON:
    case SM_CYICON:
      return 32;
    default:
      return 0;
  }
}
