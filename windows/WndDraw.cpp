// The drawing window and the playback sequencer.
#include "windows/WndDraw.h"

#include "afxres.h"
#include "app/OrvaneMovieScreenSaverApp.h"
#include "resources/resource.h"
#include "scene/PlaneScene.h"

#define IDC_BLANK IDC_TRANSPARENT

IMPLEMENT_DYNAMIC(CWndDraw, CWnd)

BEGIN_MESSAGE_MAP(CWndDraw, CWnd)
  ON_MESSAGE(WM_GRAPH_EVENT, OnGraphEvent)
  ON_WM_PAINT()
  ON_WM_ERASEBKGND()
  ON_WM_CREATE()
  ON_WM_SIZE()
END_MESSAGE_MAP()

namespace {
LPCWSTR g_lpszDrawClass = nullptr;

bool CanOpenMovies(const COrvaneMovieScreenSaverApp* app) {
  return (app->m_nRunMode == MODE_SETTINGS || app->m_nRunMode == MODE_SAVER) && !app->m_methodOrder.empty() &&
         !app->m_movies.empty() && !app->m_bNoPlayableMovie;
}
}  // namespace

CWndDraw::CWndDraw(int bAutoDelete) : m_bStarted(false), m_bAutoDelete(bAutoDelete) {}

// The player closes as it is destroyed.
CWndDraw::~CWndDraw() = default;

LPCWSTR CWndDraw::RegisterDrawClass() {
  if (!g_lpszDrawClass) {
    HCURSOR hCursor = nullptr;
    if (GetOrvaneApp()->m_nRunMode == MODE_SAVER) {
      hCursor = LoadCursorW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDC_BLANK));
    }
    g_lpszDrawClass = AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW, hCursor, nullptr, nullptr);
  }
  return g_lpszDrawClass;
}

BOOL CWndDraw::Create(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd) {
  LPCWSTR lpszClass = RegisterDrawClass();
  return CWnd::CreateEx(dwExStyle, lpszClass, L"", dwStyle, rect.left, rect.top, rect.right - rect.left,
                        rect.bottom - rect.top, pParentWnd ? pParentWnd->GetSafeHwnd() : nullptr, nullptr, nullptr);
}

bool CWndDraw::PlayMovie(UINT nIndex) {
  COrvaneMovieScreenSaverApp* app = GetOrvaneApp();
  if (!CanOpenMovies(app)) return false;
  MovieEntry& movie = app->m_movies[nIndex];
  if (movie.state == MOVIE_FAILED) return false;
  if (app->m_nMethodIndex >= app->m_methodOrder.size()) {
    app->ReshuffleMethodOrder();
    app->m_nMethodIndex = 0;
  }
  SceneSettings settings;
  settings.nPixelPerSec = app->m_nPixelPerSec;
  settings.fSpeedScale = app->m_nRunMode == MODE_SETTINGS ? 0.25f : 1.0f;
  settings.plugin = app->m_plugins[static_cast<std::size_t>(app->m_methodOrder[app->m_nMethodIndex])];

  if (!m_player.Open(movie.path, m_hWnd, &settings)) {
    movie.state = MOVIE_FAILED;
    return false;
  }
  if (app->m_bMute && m_player.m_pAudio) m_player.m_pAudio->put_Volume(-10000);
  movie.state = MOVIE_OPENED;
  app->m_strCurrentFileName = movie.path;
  ++app->m_nMethodIndex;
  return true;
}

bool CWndDraw::PlayNext() {
  COrvaneMovieScreenSaverApp* app = GetOrvaneApp();
  if (!CanOpenMovies(app)) return false;
  std::size_t attempts = 0;
  while (!app->m_playOrder.empty()) {
    if (app->m_nPlayIndex >= app->m_playOrder.size()) {
      app->ReshufflePlayOrder();
      app->m_nPlayIndex = 0;
      attempts = 0;
    }
    const int index = app->m_playOrder[app->m_nPlayIndex];
    ++app->m_nPlayIndex;
    if (PlayMovie(static_cast<UINT>(index))) return true;
    if (++attempts == app->m_movies.size()) break;
  }
  app->m_bNoPlayableMovie = true;
  app->m_strCurrentFileName.Empty();
  return false;
}

void CWndDraw::StartPlayback() {
  if (m_bStarted) return;
  m_bStarted = true;
  COrvaneMovieScreenSaverApp* app = GetOrvaneApp();

  if (app->m_bContinue && !app->m_strCurrentFileName.IsEmpty()) {
    for (std::size_t k = 0; k < app->m_playOrder.size(); ++k) {
      const int index = app->m_playOrder[k];
      if (app->m_movies[static_cast<std::size_t>(index)].path != app->m_strCurrentFileName) continue;
      app->m_nPlayIndex = static_cast<UINT>(k + 1);
      if (PlayMovie(static_cast<UINT>(index))) {
        if (m_player.m_pSeeking) {
          m_player.m_pSeeking->SetPositions(&app->m_llPos, AM_SEEKING_AbsolutePositioning, nullptr,
                                            AM_SEEKING_NoPositioning);
        }
        if (m_player.m_pControl) m_player.m_pControl->Run();
        return;
      }
      break;
    }
  }

  app->m_strCurrentFileName.Empty();
  if (PlayNext() && m_player.m_pControl) m_player.m_pControl->Run();
}

LRESULT CWndDraw::OnGraphEvent(WPARAM, LPARAM) {
  LONG code = 0;
  LONG_PTR param1 = 0, param2 = 0;
  while (m_player.m_pEvent && SUCCEEDED(m_player.m_pEvent->GetEvent(&code, &param1, &param2, 0))) {
    m_player.m_pEvent->FreeEventParams(code, param1, param2);
    if (code == EC_COMPLETE) {
      if (PlayNext() && m_player.m_pControl) m_player.m_pControl->Run();
    }
  }
  return 0;
}

void CWndDraw::OnPaint() {
  CPaintDC dc(this);
  if (m_player.m_pControl) {
    OAFilterState state = State_Stopped;
    if (FAILED(m_player.m_pControl->GetState(0, &state)) || state != State_Stopped) return;
  }

  CRect rc;
  GetClientRect(&rc);
  CBrush black(RGB(0, 0, 0));
  dc.FillRect(&rc, &black);
  dc.SetTextColor(RGB(255, 255, 255));
  dc.SetBkColor(RGB(0, 0, 0));

  const COrvaneMovieScreenSaverApp* app = GetOrvaneApp();
  const wchar_t* text = L"Orvane Movie Screen Saver";
  if (app->m_nRunMode != MODE_SETTINGS && app->m_nRunMode != MODE_SAVER) {
    text = L"Orvane Movie Screen Saver";
  } else if (!app->m_bVmr9Available) {
    text = L"システムがVMR9に対応していません";
  } else if (app->m_methodOrder.empty()) {
    text = L"有効な再生方法がありません";
  } else if (app->m_movies.empty()) {
    text = L"ムービーファイルリストが空です";
  } else if (app->m_bNoPlayableMovie) {
    text = L"再生可能なムービーファイルがありません";
  }
  dc.DrawTextW(text, -1, &rc, DT_CENTER | DT_WORDBREAK);
}

BOOL CWndDraw::OnEraseBkgnd(CDC*) { return TRUE; }

int CWndDraw::OnCreate(LPCREATESTRUCT lpCreateStruct) { return CWnd::OnCreate(lpCreateStruct); }

void CWndDraw::OnSize(UINT nType, int cx, int cy) {
  CWnd::OnSize(nType, cx, cy);
  if (cx > 0 && cy > 0 && !m_bStarted) StartPlayback();
}

void CWndDraw::SavePlaybackPosition() {
  COrvaneMovieScreenSaverApp* app = GetOrvaneApp();
  app->WriteProfileString(L"Ver1", L"CurrentFileName", app->m_strCurrentFileName);
  app->m_llPos = 0;
  if (m_player.m_pSeeking) m_player.m_pSeeking->GetPositions(&app->m_llPos, nullptr);
  CString pos;
  pos.Format(L"%I64d", app->m_llPos);
  app->WriteProfileString(L"Ver1", L"Pos", pos);
  m_player.Close();
}

void CWndDraw::PostNcDestroy() {
  const int mode = GetOrvaneApp()->m_nRunMode;
  if (mode == MODE_SETTINGS || mode == MODE_SAVER) SavePlaybackPosition();
  if (m_bAutoDelete) delete this;
}
