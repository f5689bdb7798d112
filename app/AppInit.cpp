// Start-up and shut-down: InitInstance and ExitInstance of the application object.
#include <clocale>
#include <cstdlib>
#include <cwchar>

#include "afxdlgs.h"
#include "app/AppPaths.h"
#include "app/OrvaneMovieScreenSaverApp.h"
#include "dialog/OrvaneMovieScreenSaverDlg.h"
#include "dshow.h"
#include "windows/WndDraw.h"
#include "windows/WndSaver.h"

BOOL COrvaneMovieScreenSaverApp::InitInstance() {
  CWinApp::InitInstance();
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

  // Can a Video Mixing Renderer 9 be made here?
  IBaseFilter* pVmr = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER,
                                 IID_IBaseFilter, reinterpret_cast<void**>(&pVmr)))) {
    pVmr->Release();
    m_bVmr9Available = true;
  } else {
    m_bVmr9Available = false;
  }

  // The Japanese locale where the system has it; the movie list and plug-in names are
  // converted from CP932 through iconv whatever the locale.
  if (!std::setlocale(LC_ALL, "ja_JP.UTF-8")) std::setlocale(LC_ALL, "C.UTF-8");

  // The INI file beside the program.
  std::free(const_cast<wchar_t*>(m_pszProfileName));
  m_pszProfileName = wcsdup(GetIniFilePath());
  if (!m_pszProfileName) {
    AfxMessageBox(L"メモリ不足エラー", MB_OK);
    return FALSE;
  }

  LoadPlugins();
  SerializeSettings(FALSE);

  CommandLineArgs args;
  SplitCommandLine(args);
  HWND hWnd = DecideRunMode(args);

  switch (m_nRunMode) {
    case MODE_SETTINGS: {
      COrvaneMovieScreenSaverDlg dlg(CWnd::FromHandle(hWnd));
      m_pMainWnd = &dlg;
      if (dlg.DoModal() == IDOK) SerializeSettings(TRUE);
      m_pMainWnd = nullptr;
      return FALSE;
    }
    case MODE_PREVIEW: {
      // A host that is not a window ends the program as a switch naming no mode does.
      if (!hWnd || !::IsWindow(hWnd)) return FALSE;
      CWnd* pHost = CWnd::FromHandle(hWnd);
      CRect rc;
      pHost->GetClientRect(&rc);
      auto* pWnd = new CWndDraw(1);
      if (!pWnd->Create(0, WS_CHILD | WS_VISIBLE, rc, pHost)) {
        delete pWnd;  // no window: nothing would ever end the message loop
        return FALSE;
      }
      m_pMainWnd = pWnd;
      return TRUE;
    }
    case MODE_SAVER: {
      auto* pWnd = new CWndSaver;
      if (!pWnd->CreateFullScreen()) {
        delete pWnd;
        return FALSE;
      }
      m_pMainWnd = pWnd;
      return TRUE;
    }
    default:
      return FALSE;
  }
}

int COrvaneMovieScreenSaverApp::ExitInstance() {
  FreePlugins();
  CoUninitialize();
  return CWinApp::ExitInstance();
}
