// Dialogs built from templates, data exchange, the list box, the system menu, the open-file
// dialog and the message box, on Qt 6 Widgets.
#pragma once

#include <memory>
#include <vector>

#include "afxres.h"
#include "afxwin.h"
#include "shellapi.h"

using INT_PTR = std::intptr_t;
using DWORD_PTR = std::uintptr_t;

// Control messages.
constexpr UINT BM_GETCHECK = 0x00F0;
constexpr UINT BM_SETCHECK = 0x00F1;
constexpr UINT BM_CLICK = 0x00F5;
constexpr UINT BST_UNCHECKED = 0;
constexpr UINT BST_CHECKED = 1;
constexpr UINT EM_SETSEL = 0x00B1;
constexpr UINT LB_ADDSTRING = 0x0180;
constexpr UINT LB_INSERTSTRING = 0x0181;
constexpr UINT LB_DELETESTRING = 0x0182;
constexpr UINT LB_RESETCONTENT = 0x0184;
constexpr UINT LB_SETSEL = 0x0185;
constexpr UINT LB_GETSEL = 0x0187;
constexpr UINT LB_GETTEXT = 0x0189;
constexpr UINT LB_GETTEXTLEN = 0x018A;
constexpr UINT LB_GETCOUNT = 0x018B;
constexpr UINT LB_GETTOPINDEX = 0x018E;
constexpr UINT LB_GETSELCOUNT = 0x0190;
constexpr UINT LB_GETSELITEMS = 0x0191;
constexpr UINT LB_GETHORIZONTALEXTENT = 0x0193;
constexpr UINT LB_SETHORIZONTALEXTENT = 0x0194;
constexpr UINT LB_SETTOPINDEX = 0x0197;
constexpr LRESULT LB_ERR = -1;
constexpr UINT ICON_SMALL = 0;
constexpr UINT ICON_BIG = 1;

// ---- menus --------------------------------------------------------------------------------

constexpr UINT MF_STRING = 0x0000;
constexpr UINT MF_GRAYED = 0x0001;
constexpr UINT MF_SEPARATOR = 0x0800;

// A menu: items with command IDs. The system menu of a dialog is one; choosing an item sends
// WM_SYSCOMMAND with its ID to the dialog.
class CMenu {
 public:
  struct Item {
    UINT flags;
    UINT id;
    CString text;
  };
  BOOL AppendMenu(UINT nFlags, UINT_PTR nIDNewItem = 0, LPCWSTR lpszNewItem = nullptr);
  UINT GetMenuItemCount() const { return static_cast<UINT>(m_items.size()); }
  const std::vector<Item>& Items() const { return m_items; }

 private:
  std::vector<Item> m_items;
};

// ---- data exchange ------------------------------------------------------------------------

class CDataExchange {
 public:
  CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
  BOOL m_bSaveAndValidate;
  CWnd* m_pDlgWnd;
  // The control's window; the last one prepared gets the focus when the exchange fails.
  HWND PrepareCtrl(int nIDC);
  HWND PrepareEditCtrl(int nIDC);
  // Ends the exchange as failed (after the prompt has been shown).
  [[noreturn]] void Fail();

  HWND m_hWndLastControl = nullptr;
  bool m_bEditLastControl = false;
};

void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// "%u": written with "%u"; read from at most 63 characters as scanf's "%u" reads them.
void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
// Makes rControl a front for the dialog's control nIDC: its messages reach that control.
void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);

// The scanf "%u" rules on a text: leading white space skipped, an optional sign, decimal
// digits, the rest ignored; a minus sign gives the value modulo 2^32. false when no digit.
bool ParseUnsignedLikeScanf(const wchar_t* text, UINT& value);

// ---- dialogs ------------------------------------------------------------------------------

class DialogHost;

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
  ~CDialog() override;

  // Creates the dialog from its template, runs it modally; IDOK, IDCANCEL, or -1 when the
  // template is missing.
  virtual INT_PTR DoModal();
  virtual BOOL OnInitDialog();
  virtual void OnOK();
  virtual void OnCancel();
  void EndDialog(int nResult);

  BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
  // The system menu (null once the dialog has none); bRevert is not supported.
  CMenu* GetSystemMenu(BOOL bRevert);
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  HICON GetIcon(BOOL bBigIcon) const;
  CFont* GetFont() const;
  // Opens the system menu at the point (screen coordinates), as Alt+Space and a right
  // click on the dialog's background do.
  void ShowSystemMenu(CPoint screenPoint);

  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  BOOL OnCommand(WPARAM wParam, LPARAM lParam) override;

  // For tests and the host: the window of a running modal dialog, or null.
  static CDialog* GetActiveModal();
  // Converts a rectangle in dialog units into pixels with the dialog font's metrics.
  BOOL MapDialogRect(LPRECT lpRect) const;

 protected:
  virtual void DoDataExchange(CDataExchange* pDX);

  UINT m_nIDHelp;
  UINT m_nIDTemplate;
  CWnd* m_pParentWnd;

  DECLARE_MESSAGE_MAP()

 private:
  friend class DialogHost;
  friend void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
  std::unique_ptr<DialogHost> m_pHost;
};

// ---- list box -----------------------------------------------------------------------------

class CListBox : public CWnd {
 public:
  int GetCount() const;
  int GetSelCount() const;
  int GetSelItems(int nMaxItems, int* rgIndex) const;
  int SetSel(int nIndex, BOOL bSelect = TRUE);
  int GetSel(int nIndex) const;
  int AddString(LPCWSTR lpszItem);
  int InsertString(int nIndex, LPCWSTR lpszItem);
  int DeleteString(UINT nIndex);
  int GetText(int nIndex, CString& rString) const;
  int GetTextLen(int nIndex) const;
  int GetTopIndex() const;
  int SetTopIndex(int nIndex);
  int GetHorizontalExtent() const;
  void SetHorizontalExtent(int cxExtent);
  void ResetContent();
  void SetRedraw(BOOL bRedraw = TRUE);

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};

// ---- open-file dialog ---------------------------------------------------------------------

constexpr DWORD OFN_READONLY = 0x00000001;
constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_NOCHANGEDIR = 0x00000008;
constexpr DWORD OFN_ALLOWMULTISELECT = 0x00000200;
constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

struct OPENFILENAMEW {
  HWND hwndOwner = nullptr;
  LPCWSTR lpstrFilter = nullptr;  // pairs of name and pattern, each NUL-terminated, then NUL
  DWORD nFilterIndex = 0;         // 1-based
  LPWSTR lpstrFile = nullptr;     // in: initial name; out: the selection
  DWORD nMaxFile = 0;             // characters of lpstrFile
  LPCWSTR lpstrInitialDir = nullptr;
  LPCWSTR lpstrTitle = nullptr;
  DWORD Flags = 0;
  LPCWSTR lpstrDefExt = nullptr;
};

struct OvPosition__;
using POSITION = OvPosition__*;

class CFileDialog {
 public:
  CFileDialog(BOOL bOpenFileDialog, LPCWSTR lpszDefExt = nullptr, LPCWSTR lpszFileName = nullptr,
              DWORD dwFlags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCWSTR lpszFilter = nullptr,
              CWnd* pParentWnd = nullptr);
  virtual ~CFileDialog() = default;

  // IDOK when files were chosen and their names fit m_ofn.lpstrFile, else IDCANCEL.
  virtual INT_PTR DoModal();
  POSITION GetStartPosition() const;
  CString GetNextPathName(POSITION& pos) const;

  OPENFILENAMEW m_ofn;

 private:
  CString m_strFilter;
  CString m_strFileName;
  std::vector<wchar_t> m_defaultBuffer;
};

// For tests: called with the file dialog once it is shown (null gives the user the dialog).
class QFileDialog;
using FileDialogHook = void (*)(QFileDialog* dialog);
void SetFileDialogHookForTesting(FileDialogHook hook);

// ---- message box --------------------------------------------------------------------------

constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_OKCANCEL = 0x00000001;
constexpr UINT MB_ICONERROR = 0x00000010;
constexpr UINT MB_ICONQUESTION = 0x00000020;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONINFORMATION = 0x00000040;

// The framework's message box: captioned with the application title (string 57344), modal
// over the active window. Returns IDOK or IDCANCEL.
int AfxMessageBox(LPCWSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);
int AfxMessageBox(UINT nIDPrompt, UINT nType = MB_OK, UINT nIDHelp = static_cast<UINT>(-1));
