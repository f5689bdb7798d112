// The full-screen saver window: a drawing window over the primary screen that closes at
// the first sign of the user.
#pragma once

#include "windows/WndDraw.h"

class CWndSaver : public CWndDraw {
  DECLARE_DYNAMIC(CWndSaver)
 public:
  CWndSaver();
  ~CWndSaver() override;

  BOOL CreateFullScreen();

  CPoint m_ptFirstMouse;

 protected:
  // Posts WM_CLOSE; the window is destroyed from the message loop.
  void Close();

  DECLARE_MESSAGE_MAP()
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnDestroy();
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
};
