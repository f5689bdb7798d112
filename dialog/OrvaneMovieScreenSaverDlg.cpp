#include "dialog/OrvaneMovieScreenSaverDlg.h"

#include <vector>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "dialog/AboutDlg.h"
#include "fileapi.h"
#include "globalmem.h"
#include "htmlhelp.h"
#include "libloaderapi.h"
#include "pathsplit.h"

namespace {

// The folder of a path, with its trailing separator: /video/clip.avi gives /video/.
CString FolderOf(LPCWSTR path) {
  CString drive;
  CString dir;
  _wsplitpath_s(path, &drive, &dir, nullptr, nullptr);
  CString folder;
  _wmakepath_s(folder, drive, dir, nullptr, nullptr);
  return folder;
}

}  // namespace

COrvaneMovieScreenSaverDlg::COrvaneMovieScreenSaverDlg(CWnd* pParent)
    : CDialog(IDD_SETTINGS, pParent), m_wndPreview(FALSE), m_nMaxExtent(0) {
  COrvaneMovieScreenSaverApp* pApp = GetOrvaneApp();
  m_hIcon = LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME));
  m_bContinue = pApp->m_bContinue;
  m_bMute = pApp->m_bMute;
  m_bShuffle = pApp->m_bShuffle;
  m_nPixelPerSec = pApp->m_nPixelPerSec;
}

COrvaneMovieScreenSaverDlg::~COrvaneMovieScreenSaverDlg() = default;

void COrvaneMovieScreenSaverDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Check(pDX, IDC_MUTE, m_bMute);
  DDX_Check(pDX, IDC_CONTINUE, m_bContinue);
  DDX_Check(pDX, IDC_SHUFFLE, m_bShuffle);
  DDX_Control(pDX, IDC_MOVIE_LIST, m_lstMovies);
  DDX_Text(pDX, IDC_SPEED, m_nPixelPerSec);
  DDX_Control(pDX, IDC_METHOD_LIST, m_lstMethods);
}

BEGIN_MESSAGE_MAP(COrvaneMovieScreenSaverDlg, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_DROPFILES()
ON_BN_CLICKED(IDC_ADD, OnBnClickedAdd)
ON_BN_CLICKED(IDC_DELETE, OnBnClickedDelete)
ON_BN_CLICKED(IDC_UP, OnBnClickedUp)
ON_BN_CLICKED(IDC_DOWN, OnBnClickedDown)
ON_BN_CLICKED(IDC_RESTART, OnBnClickedRestart)
ON_BN_CLICKED(IDC_HELP_BUTTON, OnBnClickedHelp)
ON_BN_CLICKED(IDC_CHECK_ALL, OnBnClickedCheckAll)
ON_BN_CLICKED(IDC_UNCHECK_ALL, OnBnClickedUncheckAll)
ON_BN_CLICKED(IDC_DELETE_ALL, OnBnClickedDeleteAll)
END_MESSAGE_MAP()

BOOL COrvaneMovieScreenSaverDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  COrvaneMovieScreenSaverApp* pApp = GetOrvaneApp();

  // The About item at the end of the system menu.
  CMenu* pSysMenu = GetSystemMenu(FALSE);
  if (pSysMenu != nullptr) {
    CString strAboutMenu = LoadStringResource(IDS_ABOUTBOX);
    if (!strAboutMenu.IsEmpty()) {
      pSysMenu->AppendMenu(MF_SEPARATOR);
      pSysMenu->AppendMenu(MF_STRING, IDM_ABOUTBOX, strAboutMenu);
    }
  }

  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);

  // The preview window over the hidden frame control.
  CRect rcPreview;
  GetDlgItem(IDC_PREVIEW_FRAME)->GetWindowRect(&rcPreview);
  ScreenToClient(&rcPreview);
  m_wndPreview.Create(0, WS_CHILD | WS_VISIBLE, rcPreview, this);

  for (const MovieEntry& entry : pApp->m_movies) {
    m_lstMovies.AddString(entry.path);
    UpdateHorizontalExtent(entry.path);
  }

  // The display-method list: one tickable item per plug-in, in table order.
  m_lstMethods.SetExtendedStyle(m_lstMethods.GetExtendedStyle() | LVS_EX_CHECKBOXES);
  for (int i = 0; i < static_cast<int>(pApp->m_plugins.size()); ++i) {
    const PluginRecord& record = pApp->m_plugins[static_cast<std::size_t>(i)];
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<LPWSTR>(record.strName.GetString());
    m_lstMethods.InsertItem(&item);
    m_lstMethods.SetCheck(i, record.bEnabled != 0);
  }
  return TRUE;
}

void COrvaneMovieScreenSaverDlg::UpdateHorizontalExtent(const CString& text) {
  CFont* pFont = CFont::FromHandle(reinterpret_cast<HFONT>(m_lstMovies.SendMessage(WM_GETFONT)));
  CClientDC dc(this);
  CFont* pOldFont = dc.SelectObject(pFont);
  const CSize size = dc.GetTextExtent(text);
  dc.SelectObject(pOldFont);
  const int nExtent = size.cx + 3 * GetSystemMetrics(SM_CXBORDER);
  if (nExtent > m_nMaxExtent) {
    m_nMaxExtent = nExtent;
    m_lstMovies.SetHorizontalExtent(nExtent);
  }
}

void COrvaneMovieScreenSaverDlg::OnBnClickedAdd() {
  COrvaneMovieScreenSaverApp* pApp = GetOrvaneApp();
  CString strFilter = L"すべてのファイル (*.*)|*.*|";
  for (wchar_t& c : strFilter.str())
    if (c == L'|') c = L'\0';

  CFileDialog dlg(TRUE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_FILEMUSTEXIST);
  std::vector<wchar_t> buffer(65534, L'\0');
  dlg.m_ofn.lpstrFilter = strFilter;
  dlg.m_ofn.nFilterIndex = 1;
  dlg.m_ofn.lpstrFile = buffer.data();
  dlg.m_ofn.nMaxFile = static_cast<DWORD>(buffer.size());
  dlg.m_ofn.lpstrInitialDir = pApp->m_strInitialDir;
  dlg.m_ofn.lpstrTitle = L"ファイル選択";
  if (dlg.DoModal() != IDOK) return;

  bool bFirst = true;
  for (POSITION pos = dlg.GetStartPosition(); pos != nullptr;) {
    const CString strPath = dlg.GetNextPathName(pos);
    m_lstMovies.AddString(strPath);
    UpdateHorizontalExtent(strPath);
    if (bFirst) {
      pApp->m_strInitialDir = FolderOf(strPath);
      bFirst = false;
    }
  }
}

void COrvaneMovieScreenSaverDlg::OnDropFiles(HDROP hDropInfo) {
  COrvaneMovieScreenSaverApp* pApp = GetOrvaneApp();
  const WORD nCount = static_cast<WORD>(DragQueryFileW(hDropInfo, 0xFFFFFFFF, nullptr, 0));
  for (WORD i = 0; i < nCount; ++i) {
    const WORD nChars = static_cast<WORD>(DragQueryFileW(hDropInfo, i, nullptr, 0) + 1);
    HGLOBAL hBlock = GlobalAlloc(GMEM_ZEROINIT, nChars * sizeof(wchar_t));
    if (hBlock == nullptr) continue;
    auto* pszPath = static_cast<LPWSTR>(GlobalLock(hBlock));
    DragQueryFileW(hDropInfo, i, pszPath, nChars);
    m_lstMovies.AddString(pszPath);
    UpdateHorizontalExtent(pszPath);
    if (i == 0) pApp->m_strInitialDir = FolderOf(pszPath);
    GlobalUnlock(hBlock);
    GlobalFree(hBlock);
  }
  DragFinish(hDropInfo);
}

void COrvaneMovieScreenSaverDlg::OnBnClickedDelete() {
  const int nSel = m_lstMovies.GetSelCount();
  if (nSel <= 0) return;
  std::vector<int> selected(static_cast<std::size_t>(nSel));
  m_lstMovies.GetSelItems(nSel, selected.data());
  const int nLast = selected.back();
  // The item after the deleted block becomes the selection.
  if (nLast + 1 < m_lstMovies.GetCount()) m_lstMovies.SetSel(nLast + 1, TRUE);

  m_lstMovies.SetRedraw(FALSE);
  for (int i = nSel - 1; i >= 0; --i) m_lstMovies.DeleteString(static_cast<UINT>(selected[static_cast<std::size_t>(i)]));
  m_lstMovies.SetRedraw(TRUE);
}

void COrvaneMovieScreenSaverDlg::OnBnClickedDeleteAll() {
  m_lstMovies.SetRedraw(FALSE);
  for (int i = m_lstMovies.GetCount() - 1; i >= 0; --i) m_lstMovies.DeleteString(static_cast<UINT>(i));
  m_lstMovies.SetRedraw(TRUE);
}

void COrvaneMovieScreenSaverDlg::OnBnClickedUp() {
  const int nSel = m_lstMovies.GetSelCount();
  if (nSel <= 0) return;
  std::vector<int> selected(static_cast<std::size_t>(nSel));
  m_lstMovies.GetSelItems(nSel, selected.data());
  // The selection moves only as a whole.
  if (selected.front() == 0) return;

  m_lstMovies.SetRedraw(FALSE);
  const int nTop = m_lstMovies.GetTopIndex();
  for (int k : selected) MoveItemUp(k);
  m_lstMovies.SetTopIndex(nTop - 1);
  m_lstMovies.SetRedraw(TRUE);
}

void COrvaneMovieScreenSaverDlg::OnBnClickedDown() {
  const int nSel = m_lstMovies.GetSelCount();
  if (nSel <= 0) return;
  std::vector<int> selected(static_cast<std::size_t>(nSel));
  m_lstMovies.GetSelItems(nSel, selected.data());
  if (m_lstMovies.GetCount() == selected.back() + 1) return;

  m_lstMovies.SetRedraw(FALSE);
  const int nTop = m_lstMovies.GetTopIndex();
  for (int i = nSel - 1; i >= 0; --i) MoveItemDown(selected[static_cast<std::size_t>(i)]);
  m_lstMovies.SetTopIndex(nTop + 1);
  m_lstMovies.SetRedraw(TRUE);
}

// The unselected neighbour above k goes below it, so k moves up and stays selected.
void COrvaneMovieScreenSaverDlg::MoveItemUp(int nIndex) {
  CString strText;
  m_lstMovies.GetText(nIndex - 1, strText);
  m_lstMovies.DeleteString(static_cast<UINT>(nIndex - 1));
  m_lstMovies.InsertString(nIndex, strText);
}

void COrvaneMovieScreenSaverDlg::MoveItemDown(int nIndex) {
  CString strText;
  m_lstMovies.GetText(nIndex + 1, strText);
  m_lstMovies.DeleteString(static_cast<UINT>(nIndex + 1));
  m_lstMovies.InsertString(nIndex, strText);
}

void COrvaneMovieScreenSaverDlg::CommitSettings() {
  if (!UpdateData(TRUE)) return;
  COrvaneMovieScreenSaverApp* pApp = GetOrvaneApp();
  pApp->m_bContinue = m_bContinue;
  pApp->m_bMute = m_bMute;
  pApp->m_bShuffle = m_bShuffle;
  pApp->m_nPixelPerSec = m_nPixelPerSec;

  const int nCount = m_lstMovies.GetCount();
  pApp->m_movies.clear();
  pApp->m_movies.reserve(static_cast<std::size_t>(nCount));
  for (int i = 0; i < nCount; ++i) {
    MovieEntry entry;
    m_lstMovies.GetText(i, entry.path);
    entry.state = MOVIE_UNTRIED;
    pApp->m_movies.push_back(entry);
  }
  pApp->BuildPlayOrder();

  // Enabled flags from the ticks: state image 2 ticked, 1 unticked.
  const int nMethods = m_lstMethods.GetItemCount();
  for (int i = 0; i < nMethods; ++i) {
    pApp->m_plugins[static_cast<std::size_t>(i)].bEnabled =
        static_cast<BOOL>((m_lstMethods.GetItemState(i, LVIS_STATEIMAGEMASK) >> 12) - 1);
  }
  pApp->BuildMethodOrder();
}

void COrvaneMovieScreenSaverDlg::OnOK() {
  CommitSettings();
  CDialog::OnOK();
}

void COrvaneMovieScreenSaverDlg::OnPaint() {
  if (IsIconic()) {
    CPaintDC dc(this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const int cxIcon = GetSystemMetrics(SM_CXICON);
    const int cyIcon = GetSystemMetrics(SM_CYICON);
    CRect rect;
    GetClientRect(&rect);
    const int x = (rect.Width() - cxIcon + 1) / 2;
    const int y = (rect.Height() - cyIcon + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
  } else {
    CDialog::OnPaint();
  }
}

HCURSOR COrvaneMovieScreenSaverDlg::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(m_hIcon); }

void COrvaneMovieScreenSaverDlg::OnBnClickedCheckAll() {
  m_lstMethods.SetRedraw(FALSE);
  const int nCount = m_lstMethods.GetItemCount();
  for (int i = 0; i < nCount; ++i) m_lstMethods.SetItemState(i, INDEXTOSTATEIMAGEMASK(2), LVIS_STATEIMAGEMASK);
  m_lstMethods.SetRedraw(TRUE);
}

void COrvaneMovieScreenSaverDlg::OnBnClickedUncheckAll() {
  m_lstMethods.SetRedraw(FALSE);
  const int nCount = m_lstMethods.GetItemCount();
  for (int i = 0; i < nCount; ++i) m_lstMethods.SetItemState(i, INDEXTOSTATEIMAGEMASK(1), LVIS_STATEIMAGEMASK);
  m_lstMethods.SetRedraw(TRUE);
}

void COrvaneMovieScreenSaverDlg::OnBnClickedRestart() {
  COrvaneMovieScreenSaverApp* pApp = GetOrvaneApp();
  CommitSettings();
  if (m_wndPreview.m_bStarted) {
    pApp->m_llPos = 0;
    if (m_wndPreview.m_player.m_pSeeking) {
      m_wndPreview.m_player.m_pSeeking->GetPositions(&pApp->m_llPos, nullptr);
    }
    m_wndPreview.m_player.Close();
  }
  m_wndPreview.m_bStarted = FALSE;
  m_wndPreview.StartPlayback();
  InvalidateRect(nullptr, TRUE);
}

void COrvaneMovieScreenSaverDlg::OnSysCommand(UINT nID, LPARAM lParam) {
  if ((nID & 0xFFF0) == IDM_ABOUTBOX) {
    CAboutDlg dlgAbout;
    dlgAbout.DoModal();
  } else {
    CDialog::OnSysCommand(nID, lParam);
  }
}

void COrvaneMovieScreenSaverDlg::OnBnClickedHelp() {
  // The help file follows the program's name: its path with the extension "chm".
  const CString strModule = GetModuleFilePath(nullptr);
  CString strDrive;
  CString strDir;
  CString strName;
  _wsplitpath_s(strModule, &strDrive, &strDir, &strName, nullptr);
  CString strHelp;
  _wmakepath_s(strHelp, strDrive, strDir, strName, L"chm");

  if (GetFileAttributesW(strHelp) == INVALID_FILE_ATTRIBUTES) {
    AfxMessageBox(L"ヘルプファイルが見つかりませんでした。", MB_OK);
    return;
  }
  HtmlHelpW(GetDesktopWindow(), strHelp, HH_DISPLAY_TOC, 0);
}
