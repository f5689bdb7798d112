// The settings dialog: movie list, play options, speed, display methods and the preview.
#pragma once

#include "afxcmn.h"
#include "afxdlgs.h"
#include "resources/resource.h"
#include "windows/WndDraw.h"

class COrvaneMovieScreenSaverDlg : public CDialog {
 public:
  explicit COrvaneMovieScreenSaverDlg(CWnd* pParent = nullptr);
  ~COrvaneMovieScreenSaverDlg() override;

  enum { IDD = IDD_SETTINGS };

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  void OnOK() override;

  void CommitSettings();
  void UpdateHorizontalExtent(const CString& text);
  void MoveItemUp(int nIndex);
  void MoveItemDown(int nIndex);

  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg void OnPaint();
  afx_msg HCURSOR OnQueryDragIcon();
  afx_msg void OnDropFiles(HDROP hDropInfo);
  afx_msg void OnBnClickedAdd();
  afx_msg void OnBnClickedDelete();
  afx_msg void OnBnClickedUp();
  afx_msg void OnBnClickedDown();
  afx_msg void OnBnClickedRestart();
  afx_msg void OnBnClickedHelp();
  afx_msg void OnBnClickedCheckAll();
  afx_msg void OnBnClickedUncheckAll();
  afx_msg void OnBnClickedDeleteAll();
  DECLARE_MESSAGE_MAP()

  CWndDraw m_wndPreview;
  int m_nMaxExtent;
  HICON m_hIcon;
  BOOL m_bMute;
  BOOL m_bContinue;
  BOOL m_bShuffle;
  CListBox m_lstMovies;
  UINT m_nPixelPerSec;
  CListCtrl m_lstMethods;

  // Tests drive the dialog through its handlers.
  friend class SettingsDialogDriver;
};
