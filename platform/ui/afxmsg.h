// Message maps: each class lists the messages it handles; a message goes to the first entry
// found from the most derived class towards CWnd. An entry holds a small thunk that unpacks
// WPARAM/LPARAM into the handler's arguments, the way the framework's signatures do.
#pragma once

#include "afxgeom.h"
#include "wingdi.h"
#include "wintypes.h"

class CWnd;
class CDC;

using AFX_PMSG = LRESULT (*)(CWnd* target, WPARAM wParam, LPARAM lParam);

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;  // 0 ends the table
  UINT nCode;     // WM_COMMAND: notification code
  UINT nID;       // WM_COMMAND: control id
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

struct CREATESTRUCTW {
  LPVOID lpCreateParams;
  HINSTANCE hInstance;
  HMENU hMenu;
  HWND hwndParent;
  int cy;
  int cx;
  int y;
  int x;
  LONG style;
  LPCWSTR lpszName;
  LPCWSTR lpszClass;
  DWORD dwExStyle;
};
using LPCREATESTRUCT = CREATESTRUCTW*;

// Maps a handle given to a handler back to its object (defined with CWnd and CDC).
CWnd* AfxWndFromHandle(HWND hWnd);
CDC* AfxDcFromHandle(HDC hDC);

#define afx_msg

#define DECLARE_MESSAGE_MAP()                    \
 protected:                                      \
  static const AFX_MSGMAP* GetThisMessageMap();  \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }    \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                                    \
    using ThisClass [[maybe_unused]] = theClass;                                                      \
    using TheBaseClass = baseClass;                                                    \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                              \
  { 0, 0, 0, nullptr }                                                                 \
  }                                                                                    \
  ;                                                                                    \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]}; \
  return &messageMap;                                                                  \
  }

#define OV_MSG_ENTRY(msg, body) \
  {msg, 0, 0, [](CWnd* w, [[maybe_unused]] WPARAM wp, [[maybe_unused]] LPARAM lp) -> LRESULT { body }},
#define OV_THIS static_cast<ThisClass*>(w)
#define OV_POINT_LP CPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp))

#define ON_MESSAGE(message, memberFxn) OV_MSG_ENTRY(message, return OV_THIS->memberFxn(wp, lp);)
#define ON_BN_CLICKED(id, memberFxn)                                                           \
  {WM_COMMAND, BN_CLICKED, static_cast<UINT>(id), [](CWnd* w, WPARAM, LPARAM) -> LRESULT {     \
     OV_THIS->memberFxn();                                                                     \
     return 0;                                                                                 \
   }},
#define ON_COMMAND(id, memberFxn) ON_BN_CLICKED(id, memberFxn)

#define ON_WM_CREATE() OV_MSG_ENTRY(WM_CREATE, return OV_THIS->OnCreate(reinterpret_cast<LPCREATESTRUCT>(lp));)
#define ON_WM_DESTROY() OV_MSG_ENTRY(WM_DESTROY, OV_THIS->OnDestroy(); return 0;)
#define ON_WM_CLOSE() OV_MSG_ENTRY(WM_CLOSE, OV_THIS->OnClose(); return 0;)
#define ON_WM_SIZE()                                                                            \
  OV_MSG_ENTRY(WM_SIZE, OV_THIS->OnSize(static_cast<UINT>(wp), static_cast<short>(LOWORD(lp)), \
                                        static_cast<short>(HIWORD(lp)));                        \
               return 0;)
#define ON_WM_PAINT() OV_MSG_ENTRY(WM_PAINT, OV_THIS->OnPaint(); return 0;)
#define ON_WM_ERASEBKGND() \
  OV_MSG_ENTRY(WM_ERASEBKGND, return OV_THIS->OnEraseBkgnd(AfxDcFromHandle(reinterpret_cast<HDC>(wp)));)
#define ON_WM_SYSCOMMAND() OV_MSG_ENTRY(WM_SYSCOMMAND, OV_THIS->OnSysCommand(static_cast<UINT>(wp), lp); return 0;)
#define ON_WM_SETCURSOR()                                                                        \
  OV_MSG_ENTRY(WM_SETCURSOR, return OV_THIS->OnSetCursor(AfxWndFromHandle(reinterpret_cast<HWND>(wp)), \
                                                         LOWORD(lp), HIWORD(lp));)
#define ON_WM_NCACTIVATE() OV_MSG_ENTRY(WM_NCACTIVATE, return OV_THIS->OnNcActivate(static_cast<BOOL>(wp));)
#define ON_WM_ACTIVATE()                                                                        \
  OV_MSG_ENTRY(WM_ACTIVATE, OV_THIS->OnActivate(LOWORD(wp), AfxWndFromHandle(reinterpret_cast<HWND>(lp)), \
                                                static_cast<BOOL>(HIWORD(wp)));                 \
               return 0;)
#define ON_WM_ACTIVATEAPP() \
  OV_MSG_ENTRY(WM_ACTIVATEAPP, OV_THIS->OnActivateApp(static_cast<BOOL>(wp), static_cast<DWORD>(lp)); return 0;)
#define OV_MOUSE_ENTRY(msg, fn) OV_MSG_ENTRY(msg, OV_THIS->fn(static_cast<UINT>(wp), OV_POINT_LP); return 0;)
#define ON_WM_MOUSEMOVE() OV_MOUSE_ENTRY(WM_MOUSEMOVE, OnMouseMove)
#define ON_WM_LBUTTONDOWN() OV_MOUSE_ENTRY(WM_LBUTTONDOWN, OnLButtonDown)
#define ON_WM_MBUTTONDOWN() OV_MOUSE_ENTRY(WM_MBUTTONDOWN, OnMButtonDown)
#define ON_WM_RBUTTONDOWN() OV_MOUSE_ENTRY(WM_RBUTTONDOWN, OnRButtonDown)
#define ON_WM_LBUTTONUP() OV_MOUSE_ENTRY(WM_LBUTTONUP, OnLButtonUp)
#define ON_WM_RBUTTONUP() OV_MOUSE_ENTRY(WM_RBUTTONUP, OnRButtonUp)
#define OV_KEY_ENTRY(msg, fn)                                                                    \
  OV_MSG_ENTRY(msg, OV_THIS->fn(static_cast<UINT>(wp), static_cast<UINT>(lp) & 0xFFFFu,          \
                                static_cast<UINT>(static_cast<std::uintptr_t>(lp) >> 16) & 0xFFFFu); \
               return 0;)
#define ON_WM_KEYDOWN() OV_KEY_ENTRY(WM_KEYDOWN, OnKeyDown)
#define ON_WM_SYSKEYDOWN() OV_KEY_ENTRY(WM_SYSKEYDOWN, OnSysKeyDown)
#define ON_WM_KEYUP() OV_KEY_ENTRY(WM_KEYUP, OnKeyUp)
#define ON_WM_DROPFILES() OV_MSG_ENTRY(WM_DROPFILES, OV_THIS->OnDropFiles(reinterpret_cast<HDROP>(wp)); return 0;)
#define ON_WM_QUERYDRAGICON() \
  OV_MSG_ENTRY(WM_QUERYDRAGICON, return reinterpret_cast<LRESULT>(OV_THIS->OnQueryDragIcon());)
