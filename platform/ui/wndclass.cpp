// Window classes, cursors and screen metrics.
#include "wndclass.h"

#include <QPixmap>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QVariant>
#include <QWidget>
#include <cwchar>
#include <deque>

#include "QtWindowHost.h"
#include "afxres.h"

namespace {
std::deque<WindowClass>& Classes() {
  static std::deque<WindowClass> classes;
  return classes;
}
// Cursors live as long as the process; never destroyed after the application object.
std::deque<QCursor>& Cursors() {
  static auto* cursors = new std::deque<QCursor>;
  return *cursors;
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

HCURSOR LoadCursorW(HINSTANCE, LPCWSTR name) {
  if (!IS_INTRESOURCE(name)) return nullptr;
  const UINT id = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(name));
  const ResourceEntry* e = FindResourceEntry(ResourceKind::Cursor, id);
  if (!e) return nullptr;
  const auto* image = static_cast<const ImageResource*>(e->data);
  Cursors().emplace_back(QPixmap(image->xpm), image->hotX, image->hotY);
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
    case SM_CXBORDER:
      return 1;
    default:
      return 0;
  }
}
