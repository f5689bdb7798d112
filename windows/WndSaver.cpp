// The full-screen saver window.
#include "windows/WndSaver.h"

#include "app/OrvaneMovieScreenSaverApp.h"

IMPLEMENT_DYNAMIC(CWndSaver, CWndDraw)

BEGIN_MESSAGE_MAP(CWndSaver, CWndDraw)
  ON_WM_SYSCOMMAND()
  ON_WM_DESTROY()
  ON_WM_SETCURSOR()
  ON_WM_NCACTIVATE()
  ON_WM_ACTIVATE()
  ON_WM_ACTIVATEAPP()
  ON_WM_MOUSEMOVE()
  ON_WM_LBUTTONDOWN()
  ON_WM_MBUTTONDOWN()
  ON_WM_RBUTTONDOWN()
  ON_WM_KEYDOWN()
  ON_WM_SYSKEYDOWN()
END_MESSAGE_MAP()

CWndSaver::CWndSaver() : CWndDraw(1), m_ptFirstMouse(-1, -1) {}

CWndSaver::~CWndSaver() = default;

BOOL CWndSaver::CreateFullScreen() {
  const int cy = GetSystemMetrics(SM_CYSCREEN);
  const int cx = GetSystemMetrics(SM_CXSCREEN);
  LPCWSTR lpszClass = RegisterDrawClass();
  return CWnd::CreateEx(WS_EX_TOPMOST, lpszClass, L"", WS_POPUP | WS_VISIBLE, 0, 0, cx, cy, nullptr, nullptr,
                        nullptr);
}

void CWndSaver::Close() { PostMessageW(WM_CLOSE, 0, 0); }

void CWndSaver::OnSysCommand(UINT nID, LPARAM lParam) {
  if (nID == SC_SCREENSAVE || nID == SC_CLOSE) return;
  CWndDraw::OnSysCommand(nID, lParam);
}

void CWndSaver::OnDestroy() {
  PostQuitMessage(0);
  CWndDraw::OnDestroy();
}

BOOL CWndSaver::OnSetCursor(CWnd*, UINT, UINT) {
  SetCursor(nullptr);
  return TRUE;
}

BOOL CWndSaver::OnNcActivate(BOOL bActive) {
  if (!bActive) return FALSE;
  return CWndDraw::OnNcActivate(bActive);
}

void CWndSaver::OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized) {
  if (nState == WA_INACTIVE) Close();
  CWndDraw::OnActivate(nState, pWndOther, bMinimized);
}

void CWndSaver::OnActivateApp(BOOL bActive, DWORD dwThreadID) {
  if (!bActive) Close();
  CWndDraw::OnActivateApp(bActive, dwThreadID);
}

void CWndSaver::OnMouseMove(UINT nFlags, CPoint point) {
  if (m_ptFirstMouse == CPoint(-1, -1)) {
    m_ptFirstMouse = point;
  } else if (point != m_ptFirstMouse) {
    Close();
  }
  CWndDraw::OnMouseMove(nFlags, point);
}

void CWndSaver::OnLButtonDown(UINT, CPoint) {
  Close();
  Default();
}
void CWndSaver::OnMButtonDown(UINT, CPoint) {
  Close();
  Default();
}
void CWndSaver::OnRButtonDown(UINT, CPoint) {
  Close();
  Default();
}
void CWndSaver::OnKeyDown(UINT, UINT, UINT) {
  Close();
  Default();
}
void CWndSaver::OnSysKeyDown(UINT, UINT, UINT) {
  Close();
  Default();
}
