// CWnd: creation, destruction, geometry and message dispatch over the Qt backend.
#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <memory>
#include <unordered_map>

#include "QtWindowHost.h"
#include "X11Windows.h"
#include "afxwin.h"
#include "wndclass.h"

const CRuntimeClass CObject::classCObject = {"CObject", nullptr};
const CRuntimeClass* CObject::GetRuntimeClass() const { return &classCObject; }

bool CRuntimeClass::IsDerivedFrom(const CRuntimeClass* base) const {
  for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass) {
    if (c == base) return true;
  }
  return false;
}

IMPLEMENT_DYNAMIC(CWnd, CObject)

const AFX_MSGMAP* CWnd::GetThisMessageMap() {
  static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, nullptr}};
  static const AFX_MSGMAP map = {nullptr, &entries[0]};
  return &map;
}
const AFX_MSGMAP* CWnd::GetMessageMap() const { return GetThisMessageMap(); }

namespace {
// Wrappers of foreign windows, kept until the process ends.
std::unordered_map<HWND, std::unique_ptr<CWnd>>& ForeignWindows() {
  static std::unordered_map<HWND, std::unique_ptr<CWnd>> windows;
  return windows;
}
}  // namespace

CWnd::CWnd() = default;

CWnd::~CWnd() {
  if (m_hWnd && !m_bForeign) DestroyWindow();
}

CWnd* CWnd::FromHandlePermanent(HWND hWnd) { return hWnd ? uihost::Lookup(hWnd) : nullptr; }

CWnd* CWnd::FromHandle(HWND hWnd) {
  if (!hWnd) return nullptr;
  if (CWnd* ours = uihost::Lookup(hWnd)) return ours;
  auto& foreign = ForeignWindows();
  auto it = foreign.find(hWnd);
  if (it != foreign.end()) return it->second.get();
  auto wrapper = std::make_unique<CWnd>();
  wrapper->m_hWnd = hWnd;
  wrapper->m_bForeign = true;
  return foreign.emplace(hWnd, std::move(wrapper)).first->second.get();
}

CWnd* AfxWndFromHandle(HWND hWnd) { return CWnd::FromHandle(hWnd); }

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                    CWnd* pParentWnd, UINT nID, LPVOID lpParam) {
  return CreateEx(dwExStyle, lpszClassName, lpszWindowName, dwStyle, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, pParentWnd ? pParentWnd->m_hWnd : nullptr,
                  reinterpret_cast<HMENU>(static_cast<std::uintptr_t>(nID)), lpParam);
}

BOOL CWnd::CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                    int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam) {
  if (m_hWnd || !QCoreApplication::instance()) return FALSE;
  const WindowClass* cls = FindWindowClass(lpszClassName);

  QWidget* parentWidget = nullptr;
  std::uint64_t foreignParent = 0;
  if (hWndParent) {
    CWnd* parent = uihost::Lookup(hWndParent);
    if (parent && parent->m_pWidget) {
      parentWidget = parent->m_pWidget;
    } else if (::IsWindow(hWndParent)) {
      foreignParent = IdFromHwnd(hWndParent);
    } else {
      return FALSE;
    }
  }
  const bool child = (dwStyle & WS_CHILD) && hWndParent;
  Qt::WindowFlags flags;
  if (!child || foreignParent) flags = Qt::Window | Qt::FramelessWindowHint;
  if (foreignParent) flags |= Qt::BypassWindowManagerHint;
  if (!child && (dwExStyle & WS_EX_TOPMOST)) flags |= Qt::WindowStaysOnTopHint;

  auto* widget = new DrawingWidget(child ? parentWidget : nullptr, flags);
  if (lpszWindowName && *lpszWindowName) widget->setWindowTitle(QString::fromWCharArray(lpszWindowName));
  widget->setGeometry(x, y, std::max(nWidth, 0), std::max(nHeight, 0));
  QWindow* foreignWindow = nullptr;
  if (foreignParent) {
    widget->winId();
    foreignWindow = QWindow::fromWinId(static_cast<WId>(foreignParent));
    widget->windowHandle()->setParent(foreignWindow);
    widget->setGeometry(x, y, std::max(nWidth, 0), std::max(nHeight, 0));
  }
  SetWindowClassOf(widget, cls);
  if (cls && cls->cursor) widget->setCursor(*reinterpret_cast<const QCursor*>(cls->cursor));

  m_pWidget = widget;
  m_bOwnsWidget = true;
  m_dwStyle = dwStyle;
  m_dwExStyle = dwExStyle;
  m_nID = static_cast<UINT>(reinterpret_cast<std::uintptr_t>(nIDorHMenu));
  m_hWnd = HwndFromId(widget->winId());
  uihost::Register(m_hWnd, this);
  auto* binding = new WindowBinding(this, widget, foreignParent, foreignWindow);

  CREATESTRUCTW cs{lpParam,  nullptr, nIDorHMenu,      hWndParent, nHeight,       nWidth,
                   y,        x,       static_cast<LONG>(dwStyle), lpszWindowName, lpszClassName, dwExStyle};
  if (AfxCallWndProc(this, m_hWnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    binding->Unbind();
    uihost::Unregister(m_hWnd);
    m_hWnd = nullptr;
    m_pWidget = nullptr;
    delete widget;
    return FALSE;
  }
  if (dwStyle & WS_VISIBLE) {
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!child && !foreignParent && screen && widget->geometry() == screen->geometry()) {
      widget->showFullScreen();
    } else {
      widget->show();
    }
    if (widget->isWindow() && !foreignParent) {
      widget->raise();
      widget->activateWindow();
    }
  }
  if (m_hWnd) binding->SendSize(true);
  return m_hWnd != nullptr;
}

BOOL CWnd::AttachWidget(QWidget* widget, UINT nID, bool bOwnsWidget) {
  if (m_hWnd || !widget) return FALSE;
  m_pWidget = widget;
  m_bOwnsWidget = bOwnsWidget;
  m_nID = nID;
  m_hWnd = HwndFromId(widget->winId());
  uihost::Register(m_hWnd, this);
  new WindowBinding(this, widget, 0, nullptr);
  return TRUE;
}

BOOL CWnd::DestroyWindow() {
  if (!m_hWnd || m_bForeign) return FALSE;
  AfxCallWndProc(this, m_hWnd, WM_DESTROY, 0, 0);
  if (m_pWidget) {
    // Children go before their parent, each with its own messages.
    for (QObject* o : m_pWidget->children()) {
      auto* childWidget = qobject_cast<QWidget*>(o);
      if (!childWidget) continue;
      WindowBinding* binding = WindowBinding::Of(childWidget);
      if (!binding || !childWidget->internalWinId()) continue;
      if (CWnd* child = uihost::Lookup(HwndFromId(childWidget->internalWinId()))) child->DestroyWindow();
    }
  }
  FinishDestroy();
  return TRUE;
}

void CWnd::FinishDestroy() {
  HWND h = m_hWnd;
  AfxCallWndProc(this, h, WM_NCDESTROY, 0, 0);
  CWinApp* app = AfxGetApp();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    PostQuitMessage(0);
  }
  uihost::Unregister(h);
  if (m_pWidget) {
    if (WindowBinding* binding = WindowBinding::Of(m_pWidget)) binding->Unbind();
    if (m_bOwnsWidget) {
      // Deleted from the loop: an input handler of this very widget may be running, and a
      // presenter may still be drawing into the X window until the player closes.
      m_pWidget->hide();
      m_pWidget->deleteLater();
    }
  }
  m_pWidget = nullptr;
  m_hWnd = nullptr;
  PostNcDestroy();
}

void CWnd::PostNcDestroy() {}

// ---- geometry -------------------------------------------------------------------------------

void CWnd::GetClientRect(LPRECT lpRect) const {
  *lpRect = RECT{0, 0, 0, 0};
  if (m_pWidget) {
    lpRect->right = m_pWidget->width();
    lpRect->bottom = m_pWidget->height();
  } else if (m_bForeign) {
    int w = 0, h = 0;
    if (x11::WindowSize(IdFromHwnd(m_hWnd), &w, &h)) lpRect->right = w, lpRect->bottom = h;
  }
}

void CWnd::GetWindowRect(LPRECT lpRect) const {
  GetClientRect(lpRect);
  POINT origin{0, 0};
  ClientToScreen(&origin);
  lpRect->left += origin.x, lpRect->right += origin.x;
  lpRect->top += origin.y, lpRect->bottom += origin.y;
}

void CWnd::ClientToScreen(LPPOINT p) const {
  if (m_pWidget) {
    const QPoint g = m_pWidget->mapToGlobal(QPoint(p->x, p->y));
    p->x = g.x(), p->y = g.y();
  } else if (m_bForeign) {
    int x = 0, y = 0;
    if (x11::WindowOrigin(IdFromHwnd(m_hWnd), &x, &y)) p->x += x, p->y += y;
  }
}

void CWnd::ScreenToClient(LPPOINT p) const {
  POINT origin{0, 0};
  ClientToScreen(&origin);
  p->x -= origin.x, p->y -= origin.y;
}

void CWnd::ClientToScreen(LPRECT r) const {
  POINT tl{r->left, r->top}, br{r->right, r->bottom};
  ClientToScreen(&tl), ClientToScreen(&br);
  *r = RECT{tl.x, tl.y, br.x, br.y};
}

void CWnd::ScreenToClient(LPRECT r) const {
  POINT tl{r->left, r->top}, br{r->right, r->bottom};
  ScreenToClient(&tl), ScreenToClient(&br);
  *r = RECT{tl.x, tl.y, br.x, br.y};
}

void CWnd::MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint) {
  if (!m_pWidget) return;
  m_pWidget->setGeometry(x, y, nWidth, nHeight);
  // The new size is reported at once, shown or not.
  if (WindowBinding* binding = WindowBinding::Of(m_pWidget)) binding->SendSize(false);
  if (bRepaint) m_pWidget->update();
}

void CWnd::MoveWindow(LPCRECT r, BOOL bRepaint) { MoveWindow(r->left, r->top, r->right - r->left, r->bottom - r->top, bRepaint); }

BOOL CWnd::ShowWindow(int nCmdShow) {
  if (!m_pWidget) return FALSE;
  const BOOL wasVisible = m_pWidget->isVisible();
  m_pWidget->setVisible(nCmdShow != SW_HIDE);
  if (nCmdShow != SW_HIDE) m_dwStyle |= WS_VISIBLE; else m_dwStyle &= ~WS_VISIBLE;
  return wasVisible;
}

BOOL CWnd::IsWindowVisible() const { return m_pWidget && m_pWidget->isVisible(); }

BOOL CWnd::EnableWindow(BOOL bEnable) {
  if (!m_pWidget) return FALSE;
  const BOOL wasDisabled = !m_pWidget->isEnabled();
  m_pWidget->setEnabled(bEnable != FALSE);
  return wasDisabled;
}

BOOL CWnd::IsWindowEnabled() const { return m_pWidget && m_pWidget->isEnabled(); }
BOOL CWnd::IsIconic() const { return m_pWidget && m_pWidget->isMinimized(); }

void CWnd::SetFocus() {
  if (m_pWidget) m_pWidget->setFocus(Qt::OtherFocusReason);
}

void CWnd::SetWindowText(LPCWSTR text) {
  if (m_pWidget) m_pWidget->setWindowTitle(QString::fromWCharArray(text ? text : L""));
}

void CWnd::GetWindowText(CString& text) const {
  text = m_pWidget ? CString(m_pWidget->windowTitle().toStdWString()) : CString();
}

CWnd* CWnd::GetParent() const {
  if (!m_pWidget || !m_pWidget->parentWidget()) return nullptr;
  return uihost::Lookup(HwndFromId(m_pWidget->parentWidget()->internalWinId()));
}

CWnd* CWnd::GetDlgItem(int nID) const {
  if (!m_pWidget) return nullptr;
  for (QObject* o : m_pWidget->children()) {
    auto* w = qobject_cast<QWidget*>(o);
    if (!w || !w->internalWinId()) continue;
    CWnd* child = uihost::Lookup(HwndFromId(w->internalWinId()));
    if (child && static_cast<int>(child->m_nID) == nID) return child;
  }
  return nullptr;
}

void CWnd::Invalidate(BOOL bErase) { InvalidateRect(nullptr, bErase); }

void CWnd::InvalidateRect(LPCRECT lpRect, BOOL bErase) {
  if (!m_pWidget) return;
  if (WindowBinding* binding = WindowBinding::Of(m_pWidget)) binding->RequestErase(bErase != FALSE);
  if (lpRect) {
    m_pWidget->update(QRect(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top));
  } else {
    m_pWidget->update();
  }
  // Windows without WS_CLIPCHILDREN repaint their children too.
  if (!(m_dwStyle & WS_CLIPCHILDREN)) {
    for (QObject* o : m_pWidget->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (w && w->internalWinId()) {
        if (CWnd* child = uihost::Lookup(HwndFromId(w->internalWinId()))) child->InvalidateRect(nullptr, bErase);
      }
    }
  }
}

void CWnd::UpdateWindow() {
  if (m_pWidget) m_pWidget->repaint();
}

// ---- messages -------------------------------------------------------------------------------

namespace {
// The message being handled on the user-interface thread, for Default(). Kept outside the
// window: a handler may destroy and delete its window before the call returns.
CWnd::CurrentMsg g_currentMsg{0, 0, 0};
}  // namespace

LRESULT AfxCallWndProc(CWnd* pWnd, HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  const CWnd::CurrentMsg saved = g_currentMsg;
  g_currentMsg = {message, wParam, lParam};
  const LRESULT result = pWnd->WindowProc(message, wParam, lParam);
  g_currentMsg = saved;
  return result;
}

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!m_hWnd || m_bForeign) return 0;
  return AfxCallWndProc(this, m_hWnd, message, wParam, lParam);
}

BOOL CWnd::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) {
  return ::PostMessageW(m_hWnd, message, wParam, lParam);
}

BOOL PostMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  return uihost::Post(hWnd, msg, wParam, lParam) ? TRUE : FALSE;
}

LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
  return wnd ? wnd->SendMessageW(msg, wParam, lParam) : 0;
}

BOOL GetClientRect(HWND hWnd, LPRECT lpRect) {
  CWnd* wnd = CWnd::FromHandle(hWnd);
  if (!wnd || !IsWindow(hWnd)) return FALSE;
  wnd->GetClientRect(lpRect);
  return TRUE;
}

void PostQuitMessage(int nExitCode) { uihost::PostQuit(nExitCode); }

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (!OnWndMsg(message, wParam, lParam, &result)) result = DefWindowProc(message, wParam, lParam);
  return result;
}

BOOL CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult) {
  if (message == WM_COMMAND) {
    if (OnCommand(wParam, lParam)) {
      *pResult = 1;
      return TRUE;
    }
    return FALSE;
  }
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
      if (e->nMessage == message) {
        *pResult = e->pfn(this, wParam, lParam);
        return TRUE;
      }
    }
  }
  return FALSE;
}

BOOL CWnd::OnCommand(WPARAM wParam, LPARAM lParam) {
  const UINT code = HIWORD(wParam);
  const UINT id = LOWORD(wParam);
  for (const AFX_MSGMAP* map = GetMessageMap(); map; map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
    for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
      if (e->nMessage == WM_COMMAND && e->nCode == code && e->nID == id) {
        e->pfn(this, wParam, lParam);
        return TRUE;
      }
    }
  }
  return FALSE;
}

LRESULT CWnd::Default() { return DefWindowProc(g_currentMsg.message, g_currentMsg.wParam, g_currentMsg.lParam); }

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CLOSE:
      DestroyWindow();
      return 0;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) SendMessageW(WM_CLOSE, 0, 0);
      return 0;
    case WM_SYSKEYDOWN:
      // Alt+F4 asks the window to close.
      if (wParam == VK_F4 && (static_cast<std::uintptr_t>(lParam) & (1u << 29))) {
        SendMessageW(WM_SYSCOMMAND, SC_CLOSE, 0);
      }
      return 0;
    case WM_NCACTIVATE:
      return TRUE;
    case WM_ERASEBKGND: {
      const WindowClass* cls = m_pWidget ? FindWindowClassOf(m_pWidget) : nullptr;
      CDC* dc = AfxDcFromHandle(reinterpret_cast<HDC>(wParam));
      if (!cls || !cls->background || !dc) return 0;
      CRect rc;
      GetClientRect(&rc);
      dc->FillRect(&rc, reinterpret_cast<CBrush*>(cls->background));
      return 1;
    }
    case WM_PAINT: {
      CPaintDC validate(this);
      return 0;
    }
    default:
      return 0;
  }
}

// ---- default handlers -------------------------------------------------------------------------

int CWnd::OnCreate(LPCREATESTRUCT) { return static_cast<int>(Default()); }
void CWnd::OnDestroy() { Default(); }
void CWnd::OnClose() { Default(); }
void CWnd::OnSize(UINT, int, int) { Default(); }
void CWnd::OnPaint() { Default(); }
BOOL CWnd::OnEraseBkgnd(CDC*) { return static_cast<BOOL>(Default()); }
void CWnd::OnSysCommand(UINT, LPARAM) { Default(); }
BOOL CWnd::OnSetCursor(CWnd*, UINT, UINT) { return static_cast<BOOL>(Default()); }
BOOL CWnd::OnNcActivate(BOOL) { return static_cast<BOOL>(Default()); }
void CWnd::OnActivate(UINT, CWnd*, BOOL) { Default(); }
void CWnd::OnActivateApp(BOOL, DWORD) { Default(); }
void CWnd::OnMouseMove(UINT, CPoint) { Default(); }
void CWnd::OnLButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnMButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnRButtonDown(UINT, CPoint) { Default(); }
void CWnd::OnLButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnRButtonUp(UINT, CPoint) { Default(); }
void CWnd::OnKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnSysKeyDown(UINT, UINT, UINT) { Default(); }
void CWnd::OnKeyUp(UINT, UINT, UINT) { Default(); }
void CWnd::OnDropFiles(HDROP) { Default(); }
HCURSOR CWnd::OnQueryDragIcon() { return reinterpret_cast<HCURSOR>(Default()); }
