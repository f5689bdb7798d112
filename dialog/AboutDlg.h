// The About box: program name, version and legal notice.
#pragma once

#include "afxdlgs.h"
#include "resources/resource.h"

class CAboutDlg : public CDialog {
 public:
  CAboutDlg();
  ~CAboutDlg() override;

  enum { IDD = IDD_ABOUTBOX };

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  DECLARE_MESSAGE_MAP()

  CString m_strVersion;

  friend class SettingsDialogDriver;
};
