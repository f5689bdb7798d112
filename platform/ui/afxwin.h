// The class-library layer on Qt 6: the application object, windows with message maps,
// painting. A window handle is the X11 id of a native Qt widget, or of a foreign X11 window
// that CWnd::FromHandle wraps.
#pragma once

#include "afxgeom.h"
#include "afxmsg.h"
#include "atlstr.h"
#include "wingdi.h"
#include "winuser.h"
#include "wintypes.h"

class CWnd;
class QWidget;
class QPainter;
class QFont;
class QIcon;

// ---- run-time class information ---------------------------------------------------------

struct CRuntimeClass {
  const char* m_lpszClassName;
  const CRuntimeClass* m_pBaseClass;
  bool IsDerivedFrom(const CRuntimeClass* base) const;
};

#define RUNTIME_CLASS(class_name) (&class_name::class##class_name)
#define DECLARE_DYNAMIC(class_name)                      \
 public:                                                 \
  static const CRuntimeClass class##class_name;          \
  const CRuntimeClass* GetRuntimeClass() const override;
#define IMPLEMENT_DYNAMIC(class_name, base_class_name)                                         \
  const CRuntimeClass class_name::class##class_name = {#class_name, RUNTIME_CLASS(base_class_name)}; \
  const CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

class CObject {
 public:
  static const CRuntimeClass classCObject;
  virtual ~CObject() = default;
  virtual const CRuntimeClass* GetRuntimeClass() const;
  bool IsKindOf(const CRuntimeClass* cls) const { return GetRuntimeClass()->IsDerivedFrom(cls); }
};

// ---- application object -------------------------------------------------------------------

class CWinApp : public CObject {
 public:
  CWinApp();
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance();
  // Runs the message loop until the quit message; returns ExitInstance's result.
  virtual int Run();
  // Returns the code given with the quit message (0 when none came).
  virtual int ExitInstance();

  // The profile functions, on the INI file named by m_pszProfileName.
  UINT GetProfileInt(LPCWSTR section, LPCWSTR entry, int defaultValue);
  CString GetProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR defaultValue = nullptr);
  BOOL WriteProfileInt(LPCWSTR section, LPCWSTR entry, int value);
  BOOL WriteProfileString(LPCWSTR section, LPCWSTR entry, LPCWSTR value);

  // Allocated with malloc; freed with free.
  const wchar_t* m_pszProfileName = nullptr;
  CWnd* m_pMainWnd = nullptr;
  // The quit message's code, once it has arrived.
  int m_nQuitCode = 0;
};

// The application object constructed last and not yet destroyed.
CWinApp* AfxGetApp();

// Runs the framework's start on the application object: InitInstance, then Run when it
// returns TRUE, ExitInstance otherwise. Needs a QApplication. Returns the process exit code.
int AfxWinMain();

// ---- windows ------------------------------------------------------------------------------

class CWnd : public CObject {
  DECLARE_DYNAMIC(CWnd)
 public:
  CWnd();
  // Destroys a window still attached (without calling back into derived classes).
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  HWND GetSafeHwnd() const { return m_hWnd; }
  operator HWND() const { return m_hWnd; }  // NOLINT: implicit as in the framework

  // Our window for the handle; a lasting wrapper for a foreign X11 window; null for 0.
  static CWnd* FromHandle(HWND hWnd);
  // Only windows of this process.
  static CWnd* FromHandlePermanent(HWND hWnd);

  // Creates a native window. WS_CHILD places it inside hWndParent (ours or foreign);
  // WS_POPUP (or no parent) makes a top-level window without frame; WS_EX_TOPMOST keeps it
  // above others; WS_VISIBLE shows it. Sends WM_CREATE, then WM_SIZE with the client size.
  // On failure nothing is left and the object is untouched (no PostNcDestroy).
  BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, int x, int y,
                int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
  BOOL CreateEx(DWORD dwExStyle, LPCWSTR lpszClassName, LPCWSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
  // The dialog layer's way in: makes the widget's native window this object's window and
  // turns its events into messages. With bOwnsWidget the widget is deleted with the window.
  BOOL AttachWidget(QWidget* widget, UINT nID, bool bOwnsWidget);
  // WM_DESTROY, children, WM_NCDESTROY, then PostNcDestroy. The quit message is posted when
  // this is the application's main window.
  virtual BOOL DestroyWindow();

  void GetClientRect(LPRECT lpRect) const;
  void GetWindowRect(LPRECT lpRect) const;
  void ScreenToClient(LPPOINT lpPoint) const;
  void ScreenToClient(LPRECT lpRect) const;
  void ClientToScreen(LPPOINT lpPoint) const;
  void ClientToScreen(LPRECT lpRect) const;
  void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
  void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
  BOOL ShowWindow(int nCmdShow);
  BOOL IsWindowVisible() const;
  BOOL EnableWindow(BOOL bEnable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL IsIconic() const;
  void SetFocus();
  void SetWindowText(LPCWSTR text);
  void GetWindowText(CString& text) const;
  DWORD GetStyle() const { return m_dwStyle; }
  DWORD GetExStyle() const { return m_dwExStyle; }
  CWnd* GetParent() const;
  CWnd* GetDlgItem(int nID) const;
  int GetDlgCtrlID() const { return static_cast<int>(m_nID); }

  void Invalidate(BOOL bErase = TRUE);
  void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
  void UpdateWindow();

  LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return SendMessageW(message, wParam, lParam); }
  BOOL PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
  BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return PostMessageW(message, wParam, lParam); }

  // The widget behind the window (null for foreign windows and before creation).
  QWidget* GetWidget() const { return m_pWidget; }

  // Default processing of the message being handled.
  LRESULT Default();
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  // Finds the message in the maps; TRUE with *pResult set when a handler took it.
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  // Called last, after the window is gone and the object detached.
  virtual void PostNcDestroy();

 protected:
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

 public:
  // Default handlers: default processing of the message.
  afx_msg int OnCreate(LPCREATESTRUCT lpCreateStruct);
  afx_msg void OnDestroy();
  afx_msg void OnClose();
  afx_msg void OnSize(UINT nType, int cx, int cy);
  afx_msg void OnPaint();
  afx_msg BOOL OnEraseBkgnd(CDC* pDC);
  afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
  afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
  afx_msg BOOL OnNcActivate(BOOL bActive);
  afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
  afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
  afx_msg void OnMouseMove(UINT nFlags, CPoint point);
  afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnMButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
  afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
  afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
  afx_msg void OnDropFiles(HDROP hDropInfo);
  afx_msg HCURSOR OnQueryDragIcon();

 private:
  friend class WindowBinding;
  friend LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
  void FinishDestroy();

  QWidget* m_pWidget = nullptr;
  bool m_bOwnsWidget = false;
  bool m_bForeign = false;
  DWORD m_dwStyle = 0;
  DWORD m_dwExStyle = 0;
  UINT m_nID = 0;

 public:
  struct CurrentMsg {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
};

// Delivers one message to the window's WindowProc, keeping the message for Default().
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once per distinct set of arguments) a window class and returns its name.
// A class cursor of null leaves the pointer's shape alone; a background brush of null
// leaves the background unerased.
LPCWSTR AfxRegisterWndClass(UINT nClassStyle, HCURSOR hCursor = nullptr, HBRUSH hbrBackground = nullptr,
                            HICON hIcon = nullptr);

// A cursor resource of the program (MAKEINTRESOURCEW(id)); null when there is none. Kept
// until the process ends.
HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName);
// Sets the pointer's shape over the window whose mouse message is being handled; null hides it.
HCURSOR SetCursor(HCURSOR hCursor);

// SM_CXSCREEN, SM_CYSCREEN: the primary screen's size in pixels; SM_CXICON, SM_CYICON.
int GetSystemMetrics(int nIndex);

// Queues the quit message: the message loop ends once it reaches it.
void PostQuitMessage(int nExitCode);

LRESULT SendMessageW(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
BOOL GetClientRect(HWND hWnd, LPRECT lpRect);

// ---- drawing ------------------------------------------------------------------------------

class CGdiObject : public CObject {
 public:
  ~CGdiObject() override = default;
};

class CBrush : public CGdiObject {
 public:
  CBrush() = default;
  explicit CBrush(COLORREF color) : m_color(color), m_bValid(true) {}
  BOOL CreateSolidBrush(COLORREF color) {
    m_color = color;
    m_bValid = true;
    return TRUE;
  }
  COLORREF m_color = 0;
  bool m_bValid = false;
};

class CFont : public CGdiObject {
 public:
  CFont();
  ~CFont() override;
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;
  // Family name, point size; weight 700 or more is bold.
  BOOL CreatePointFont(int nPointSize10, LPCWSTR lpszFaceName);
  static CFont* FromHandle(HFONT hFont);
  HFONT GetSafeHandle() const { return reinterpret_cast<HFONT>(m_pFont); }
  QFont* m_pFont;  // owned
};

class CDC {
 public:
  CDC();
  virtual ~CDC();
  CDC(const CDC&) = delete;
  CDC& operator=(const CDC&) = delete;

  HDC m_hDC = nullptr;  // this object, as a handle
  HDC GetSafeHdc() const { return m_hDC; }
  static CDC* FromHandle(HDC hDC) { return AfxDcFromHandle(hDC); }

  void FillRect(LPCRECT lpRect, CBrush* pBrush);
  void FillSolidRect(LPCRECT lpRect, COLORREF color);
  COLORREF SetTextColor(COLORREF color);
  COLORREF SetBkColor(COLORREF color);
  int SetBkMode(int nBkMode);
  // Returns the height of the text drawn (or measured with DT_CALCRECT, which also sets the
  // rectangle's right and bottom).
  int DrawTextW(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat);
  int DrawText(const CString& str, LPRECT lpRect, UINT nFormat) { return DrawTextW(str, str.GetLength(), lpRect, nFormat); }
  CSize GetTextExtent(LPCWSTR lpszString, int nCount) const;
  CSize GetTextExtent(const CString& str) const { return GetTextExtent(str, str.GetLength()); }
  CFont* SelectObject(CFont* pFont);
  // HICON is a QIcon* made by the ui layer.
  BOOL DrawIcon(int x, int y, HICON hIcon);

  // The painter behind the context, for the ui layer's own drawing.
  QPainter* GetPainter() const { return m_pPainter; }

 protected:
  // Set up by the derived contexts: the painter on their surface and the area it covers.
  void Attach(QPainter* painter);
  void Detach();
  // Marks a drawn area; the derived context puts only what was drawn on the window.
  virtual void MarkDrawn(const RECT& rect) = 0;

 private:
  QPainter* m_pPainter = nullptr;
  CFont* m_pFont = nullptr;
  COLORREF m_textColor = RGB(0, 0, 0);
  COLORREF m_bkColor = RGB(255, 255, 255);
  int m_bkMode = OPAQUE;
};

struct PAINTSTRUCT {
  HDC hdc;
  BOOL fErase;
  RECT rcPaint;
};

class WindowSurface;

// Drawing on a window's client area: what is drawn goes to the window when the context ends.
class CClientDC : public CDC {
 public:
  explicit CClientDC(CWnd* pWnd);
  ~CClientDC() override;

 protected:
  void MarkDrawn(const RECT& rect) override;
  WindowSurface* m_pSurface;
  CWnd* m_pWnd;
};

// The context of WM_PAINT: sends WM_ERASEBKGND when the window asked for erasing.
class CPaintDC : public CClientDC {
 public:
  explicit CPaintDC(CWnd* pWnd);
  ~CPaintDC() override;
  PAINTSTRUCT m_ps;
};
