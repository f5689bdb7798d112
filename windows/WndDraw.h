// The drawing window: plays the movie list, one movie after another, and paints a status
// text on black when no movie is shown.
#pragma once

#include "afxwin.h"
#include "video/KrGraphPlayer.h"

class CWndDraw : public CWnd {
  DECLARE_DYNAMIC(CWndDraw)
 public:
  explicit CWndDraw(int bAutoDelete);
  ~CWndDraw() override;

  virtual BOOL Create(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd);
  void StartPlayback();
  bool PlayNext();
  bool PlayMovie(UINT nIndex);

  bool m_bStarted;
  CKrGraphPlayer m_player;
  int m_bAutoDelete;

 protected:
  // The one window class of every drawing window, registered at first use.
  static LPCWSTR RegisterDrawClass();
  void PostNcDestroy() override;
  void SavePlaybackPosition();

  DECLARE_MESSAGE_MAP()
  afx_msg LRESULT OnGraphEvent(WPARAM wParam, LPARAM lParam);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnSize(UINT nType, int cx, int cy);
};
