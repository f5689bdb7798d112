// The class-library layer on Qt 6: the application object, windows with message maps,
// painting. The user-interface helper extends this header; the CWinApp part below is the
// contract the program code is written against.
#pragma once

#include "atlstr.h"
#include "winuser.h"
#include "wintypes.h"

class CWnd;

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp();
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  // Runs the message loop until the quit message; returns ExitInstance's result.
  virtual int Run();
  virtual int ExitInstance();

  // The profile functions, on the INI file named by m_pszProfileName.
  UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue);
  CString GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
  BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value);
  BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value);

  // Allocated with malloc; freed with free.
  const wchar_t* m_pszProfileName = nullptr;
  CWnd* m_pMainWnd = nullptr;
};

// The application object constructed last and not yet destroyed.
CWinApp* AfxGetApp();
