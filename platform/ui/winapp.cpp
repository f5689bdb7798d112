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

int CWinApp::ExitInstance() { return 0; }

int CWinApp::Run() {
  if (QCoreApplication::instance()) QCoreApplication::exec();
  return ExitInstance();
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
