// Backend: registered window classes (style, cursor, background) and the widget's class.
#pragma once

#include <string>

#include "afxwin.h"

struct WindowClass {
  std::wstring name;
  UINT style;
  HCURSOR cursor;      // a QCursor*, or null: the pointer keeps its shape
  HBRUSH background;   // a CBrush*, or null: no erasing
  HICON icon;
};

// Null when no class of that name was registered.
const WindowClass* FindWindowClass(LPCWSTR name);
// The class the widget was created with, or null.
const WindowClass* FindWindowClassOf(const QWidget* widget);
void SetWindowClassOf(QWidget* widget, const WindowClass* cls);
