#include <QCoreApplication>
#include <cstdio>
#include <cstdlib>

#include "afxwin.h"
#include "profileapi.h"

namespace {
CWinApp* g_currentApp = nullptr;
}

CWinApp::CWinApp() { g_currentApp = this; }

CWinApp::~CWinApp() {
  std::free(const_cast<wchar_t*>(m_pszProfileName));
  if (g_currentApp == this) g_currentApp = nullptr;
}

CWinApp* AfxGetApp() { return g_currentApp; }

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::ExitInstance() { return m_nQuitCode; }

namespace {
// Widgets of destroyed windows are deleted from the loop; once it has ended, now.
void DeleteDestroyedWidgets() {
  if (QCoreApplication::instance()) QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}
}  // namespace

int CWinApp::Run() {
  if (QCoreApplication::instance()) QCoreApplication::exec();
  DeleteDestroyedWidgets();
  return ExitInstance();
}

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (!app) return -1;
  int code = 0;
  if (app->InitInstance()) {
    code = app->Run();
  } else {
    if (app->m_pMainWnd) app->m_pMainWnd->DestroyWindow();
    DeleteDestroyedWidgets();
    code = app->ExitInstance();
  }
  DeleteDestroyedWidgets();
  return code;
}

UINT CWinApp::GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue) {
  return GetPrivateProfileIntW(section, entry, defaultValue, m_pszProfileName);
}

CString CWinApp::GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue) {
  return ReadPrivateProfileString(section, entry, defaultValue, m_pszProfileName);
}

BOOL CWinApp::WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%d", value);
  return WritePrivateProfileStringW(section, entry, text, m_pszProfileName);
}

BOOL CWinApp::WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value) {
  return WritePrivateProfileStringW(section, entry, value, m_pszProfileName);
}
