// The list view control, in list mode with check boxes.
#pragma once

#include "afxwin.h"

constexpr UINT LVM_FIRST = 0x1000;
constexpr UINT LVM_GETITEMCOUNT = LVM_FIRST + 4;
constexpr UINT LVM_SETITEMSTATE = LVM_FIRST + 43;
constexpr UINT LVM_GETITEMSTATE = LVM_FIRST + 44;
constexpr UINT LVM_GETITEMTEXTW = LVM_FIRST + 115;
constexpr UINT LVM_INSERTITEMW = LVM_FIRST + 77;
constexpr UINT LVM_SETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 54;
constexpr UINT LVM_GETEXTENDEDLISTVIEWSTYLE = LVM_FIRST + 55;

constexpr DWORD LVS_EX_CHECKBOXES = 0x00000004;
constexpr UINT LVIF_TEXT = 0x0001;
constexpr UINT LVIF_STATE = 0x0008;
constexpr UINT LVIS_SELECTED = 0x0002;
constexpr UINT LVIS_STATEIMAGEMASK = 0xF000;
constexpr UINT INDEXTOSTATEIMAGEMASK(UINT i) { return i << 12; }

struct LVITEMW {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPWSTR pszText;
  int cchTextMax;
};

class CListCtrl : public CWnd {
 public:
  int GetItemCount() const;
  int InsertItem(int nItem, LPCWSTR lpszItem);
  int InsertItem(const LVITEMW* pItem);
  BOOL SetItemState(int nItem, UINT nState, UINT nMask);
  UINT GetItemState(int nItem, UINT nMask) const;
  CString GetItemText(int nItem, int nSubItem) const;
  // The tick of an item with LVS_EX_CHECKBOXES: state image 2 ticked, 1 unticked.
  BOOL SetCheck(int nItem, BOOL fCheck = TRUE);
  BOOL GetCheck(int nItem) const;
  DWORD GetExtendedStyle() const;
  DWORD SetExtendedStyle(DWORD dwNewStyle);
  void SetRedraw(BOOL bRedraw = TRUE);

 private:
  LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
};
