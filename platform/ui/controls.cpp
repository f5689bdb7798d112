// The dialog controls: button, check box, static, edit, list box and list view.
#include "controls.h"

#include <QCheckBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollBar>
#include <QUrl>
#include <cstring>
#include <vector>

#include "qtresource.h"

// ---- every control ------------------------------------------------------------------------

LRESULT ControlWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(m_pDialogFont);
    case WM_SETREDRAW:
      if (QWidget* w = GetWidget()) {
        w->setUpdatesEnabled(wParam != 0);
        if (wParam) w->update();
      }
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCOMMAND:
    case WM_CLOSE:
      return 0;
    default:
      return CWnd::DefWindowProc(message, wParam, lParam);
  }
}

namespace {

// ---- buttons and check boxes ----------------------------------------------------------------

class ButtonWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    auto* button = qobject_cast<QAbstractButton*>(GetWidget());
    switch (message) {
      case BM_GETCHECK:
        return button && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
      case BM_SETCHECK:
        if (button) button->setChecked(wParam == BST_CHECKED);
        return 0;
      case BM_CLICK:
        if (button) button->click();
        return 0;
      default:
        return ControlWnd::DefWindowProc(message, wParam, lParam);
    }
  }
};

// ---- edit box --------------------------------------------------------------------------------

class EditWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    auto* edit = qobject_cast<QLineEdit*>(GetWidget());
    if (message == EM_SETSEL && edit) {
      const int start = static_cast<int>(static_cast<std::intptr_t>(wParam));
      int end = static_cast<int>(lParam);
      if (start == 0 && end == -1) {
        edit->selectAll();
      } else if (start == -1) {
        edit->deselect();
      } else {
        if (end < 0 || end > edit->text().size()) end = static_cast<int>(edit->text().size());
        edit->setSelection(start, end - start);
      }
      return 0;
    }
    return ControlWnd::DefWindowProc(message, wParam, lParam);
  }
};

// ---- list box --------------------------------------------------------------------------------

class ListBoxWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    auto* list = static_cast<ListBoxWidget*>(GetWidget());
    if (!list) return ControlWnd::DefWindowProc(message, wParam, lParam);
    const int count = list->count();
    const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
    switch (message) {
      case LB_GETCOUNT:
        return count;
      case LB_ADDSTRING:
        list->addItem(QString::fromWCharArray(reinterpret_cast<LPCWSTR>(lParam)));
        return count;
      case LB_INSERTSTRING: {
        if (index > count) return LB_ERR;
        const int at = index < 0 ? count : index;
        list->insertItem(at, QString::fromWCharArray(reinterpret_cast<LPCWSTR>(lParam)));
        return at;
      }
      case LB_DELETESTRING:
        if (index < 0 || index >= count) return LB_ERR;
        delete list->takeItem(index);
        return count - 1;
      case LB_RESETCONTENT:
        list->clear();
        return 0;
      case LB_GETTEXTLEN:
        if (index < 0 || index >= count) return LB_ERR;
        return static_cast<LRESULT>(list->item(index)->text().toStdWString().size());
      case LB_GETTEXT: {
        if (index < 0 || index >= count) return LB_ERR;
        const std::wstring text = list->item(index)->text().toStdWString();
        auto* out = reinterpret_cast<wchar_t*>(lParam);
        std::wmemcpy(out, text.c_str(), text.size() + 1);
        return static_cast<LRESULT>(text.size());
      }
      case LB_SETSEL: {
        // wParam: select or not; lParam: the item, -1 for all.
        const int item = static_cast<int>(lParam);
        if (item < -1 || item >= count) return LB_ERR;
        for (int i = (item == -1 ? 0 : item); i < (item == -1 ? count : item + 1); ++i)
          list->item(i)->setSelected(wParam != 0);
        return 0;
      }
      case LB_GETSEL:
        if (index < 0 || index >= count) return LB_ERR;
        return list->item(index)->isSelected() ? 1 : 0;
      case LB_GETSELCOUNT: {
        int selected = 0;
        for (int i = 0; i < count; ++i) selected += list->item(i)->isSelected() ? 1 : 0;
        return selected;
      }
      case LB_GETSELITEMS: {
        auto* out = reinterpret_cast<int*>(lParam);
        int n = 0;
        for (int i = 0; i < count && n < index; ++i)
          if (list->item(i)->isSelected()) out[n++] = i;
        return n;
      }
      case LB_GETTOPINDEX: {
        const QModelIndex top = list->indexAt(QPoint(1, 1));
        return top.isValid() ? top.row() : 0;
      }
      case LB_SETTOPINDEX:
        if (index < 0 || index >= count) return LB_ERR;
        list->scrollToItem(list->item(index), QAbstractItemView::PositionAtTop);
        return 0;
      case LB_GETHORIZONTALEXTENT:
        return list->horizontalExtent;
      case LB_SETHORIZONTALEXTENT:
        list->horizontalExtent = index;
        list->doItemsLayout();
        return 0;
      case WM_DROPFILES:
        // Files dropped on the list box are the dialog's to handle.
        if (CWnd* parent = GetParent()) return parent->SendMessageW(WM_DROPFILES, wParam, lParam);
        DragFinish(reinterpret_cast<HDROP>(wParam));
        return 0;
      default:
        return ControlWnd::DefWindowProc(message, wParam, lParam);
    }
  }
};

// ---- list view in list mode -------------------------------------------------------------------

class ListViewWnd : public ControlWnd {
 public:
  using ControlWnd::ControlWnd;
  DWORD exStyle = 0;

  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    auto* list = qobject_cast<QListWidget*>(GetWidget());
    if (!list) return ControlWnd::DefWindowProc(message, wParam, lParam);
    const int count = list->count();
    const int index = static_cast<int>(static_cast<std::intptr_t>(wParam));
    switch (message) {
      case LVM_GETITEMCOUNT:
        return count;
      case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return exStyle;
      case LVM_SETEXTENDEDLISTVIEWSTYLE: {
        const DWORD old = exStyle;
        const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
        exStyle = (exStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
        if ((exStyle ^ old) & LVS_EX_CHECKBOXES) {
          for (int i = 0; i < count; ++i) SetStateImage(list->item(i), (exStyle & LVS_EX_CHECKBOXES) ? 1 : 0);
        }
        return old;
      }
      case LVM_INSERTITEMW: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (!item) return -1;
        const int at = item->iItem < 0 || item->iItem > count ? count : item->iItem;
        auto* row = new QListWidgetItem(
            (item->mask & LVIF_TEXT) && item->pszText ? QString::fromWCharArray(item->pszText) : QString());
        list->insertItem(at, row);
        SetStateImage(row, (exStyle & LVS_EX_CHECKBOXES) ? 1 : 0);
        if (item->mask & LVIF_STATE) ApplyState(row, item->state, item->stateMask);
        return at;
      }
      case LVM_SETITEMSTATE: {
        const auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (!item || index < -1 || index >= count) return FALSE;
        for (int i = (index == -1 ? 0 : index); i < (index == -1 ? count : index + 1); ++i)
          ApplyState(list->item(i), item->state, item->stateMask);
        return TRUE;
      }
      case LVM_GETITEMSTATE: {
        if (index < 0 || index >= count) return 0;
        const QListWidgetItem* row = list->item(index);
        UINT state = row->isSelected() ? LVIS_SELECTED : 0;
        if (row->flags() & Qt::ItemIsUserCheckable)
          state |= INDEXTOSTATEIMAGEMASK(row->checkState() == Qt::Checked ? 2 : 1);
        return static_cast<LRESULT>(state & static_cast<UINT>(lParam));
      }
      case LVM_GETITEMTEXTW: {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (!item || index < 0 || index >= count || !item->pszText || item->cchTextMax <= 0) return 0;
        const std::wstring text = list->item(index)->text().toStdWString();
        const std::size_t n = std::min(text.size(), static_cast<std::size_t>(item->cchTextMax - 1));
        std::wmemcpy(item->pszText, text.c_str(), n);
        item->pszText[n] = L'\0';
        return static_cast<LRESULT>(n);
      }
      default:
        return ControlWnd::DefWindowProc(message, wParam, lParam);
    }
  }

 private:
  // State image 0: no check box; 1 unticked; 2 ticked.
  static void SetStateImage(QListWidgetItem* row, UINT image) {
    if (image == 0) {
      row->setFlags(row->flags() & ~Qt::ItemIsUserCheckable);
      row->setData(Qt::CheckStateRole, QVariant());
    } else {
      row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
      row->setCheckState(image == 2 ? Qt::Checked : Qt::Unchecked);
    }
  }
  static void ApplyState(QListWidgetItem* row, UINT state, UINT mask) {
    if (mask & LVIS_STATEIMAGEMASK) SetStateImage(row, (state & LVIS_STATEIMAGEMASK) >> 12);
    if (mask & LVIS_SELECTED) row->setSelected((state & LVIS_SELECTED) != 0);
  }
};

QString Qs(const wchar_t* text) { return QString::fromWCharArray(text ? text : L""); }

}  // namespace

// ---- the list box widget ------------------------------------------------------------------------

ListBoxWidget::ListBoxWidget(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::ExtendedSelection);
  setTextElideMode(Qt::ElideNone);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setUniformItemSizes(true);
}

void ListBoxWidget::updateGeometries() {
  QListWidget::updateGeometries();
  // The range is the extent the program gave, as a list box's is; text wider than it is cut.
  horizontalScrollBar()->setRange(0, std::max(0, horizontalExtent - viewport()->width()));
}

namespace {
bool HasLocalFiles(const QMimeData* mime) {
  if (!mime || !mime->hasUrls()) return false;
  for (const QUrl& url : mime->urls())
    if (url.isLocalFile()) return true;
  return false;
}
}  // namespace

void ListBoxWidget::dragEnterEvent(QDragEnterEvent* event) {
  if (HasLocalFiles(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void ListBoxWidget::dragMoveEvent(QDragMoveEvent* event) {
  if (HasLocalFiles(event->mimeData())) {
    event->setDropAction(Qt::CopyAction);
    event->accept();
  } else {
    event->ignore();
  }
}

void ListBoxWidget::dropEvent(QDropEvent* event) {
  std::vector<std::wstring> paths;
  for (const QUrl& url : event->mimeData()->urls())
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdWString());
  if (paths.empty()) {
    event->ignore();
    return;
  }
  event->setDropAction(Qt::CopyAction);
  event->accept();
  std::vector<const wchar_t*> names;
  for (const std::wstring& p : paths) names.push_back(p.c_str());
  HDROP drop = AfxCreateDropHandle(names.data(), static_cast<UINT>(names.size()));
  // Delivered from the loop, after the drag source has had its answer.
  if (!::PostMessageW(HwndFromId(internalWinId()), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0)) DragFinish(drop);
}

// ---- creation ---------------------------------------------------------------------------------------

ControlWnd* CreateTemplateControl(const DialogControlTemplate& item, QWidget* dialog, const QRect& rect,
                                  const QFont* font) {
  const std::wstring cls = item.className;
  QWidget* widget = nullptr;
  ControlWnd* wnd = nullptr;
  if (cls == WC_BUTTONW) {
    const DWORD type = item.style & 0xF;
    if (type == BS_AUTOCHECKBOX) {
      widget = new QCheckBox(Qs(item.text), dialog);
    } else {
      auto* button = new QPushButton(Qs(item.text), dialog);
      button->setAutoDefault(false);
      button->setDefault(type == BS_DEFPUSHBUTTON);
      widget = button;
    }
    wnd = new ButtonWnd(font);
  } else if (cls == WC_EDITW) {
    auto* edit = new QLineEdit(dialog);
    edit->setAlignment((item.style & ES_RIGHT) ? Qt::AlignRight : Qt::AlignLeft);
    edit->setFrame((item.style & WS_BORDER) != 0);
    widget = edit;
    wnd = new EditWnd(font);
  } else if (cls == WC_LISTBOXW) {
    auto* list = new ListBoxWidget(dialog);
    list->setVerticalScrollBarPolicy((item.style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    list->setHorizontalScrollBarPolicy((item.style & WS_HSCROLL) ? Qt::ScrollBarAsNeeded : Qt::ScrollBarAlwaysOff);
    list->setAcceptDrops((item.exStyle & WS_EX_ACCEPTFILES) != 0);
    list->viewport()->setAcceptDrops((item.exStyle & WS_EX_ACCEPTFILES) != 0);
    list->setDragDropMode(QAbstractItemView::DropOnly);
    widget = list;
    wnd = new ListBoxWnd(font);
  } else if (cls == WC_LISTVIEWW) {
    auto* list = new QListWidget(dialog);
    if ((item.style & 0x3) == LVS_LIST) {
      list->setViewMode(QListView::ListMode);
      list->setFlow(QListView::TopToBottom);
      list->setWrapping(true);
      list->setResizeMode(QListView::Adjust);
    }
    list->setSelectionMode((item.style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                        : QAbstractItemView::ExtendedSelection);
    widget = list;
    wnd = new ListViewWnd(font);
  } else {
    const DWORD type = item.style & SS_TYPEMASK;
    if (type == SS_ETCHEDFRAME) {
      auto* frame = new QFrame(dialog);
      frame->setFrameShape(rect.width() <= 2 ? QFrame::VLine : QFrame::Box);
      frame->setFrameShadow(QFrame::Sunken);
      widget = frame;
    } else {
      auto* label = new QLabel(dialog);
      if (type == SS_ICON) {
        label->setPixmap(PixmapFromResource(ResourceKind::Icon, item.imageId));
      } else if (type == SS_BITMAP) {
        label->setPixmap(PixmapFromResource(ResourceKind::Bitmap, item.imageId));
      } else {
        label->setText(Qs(item.text));
        label->setTextFormat(Qt::PlainText);
      }
      widget = label;
    }
    wnd = new ControlWnd(font);
  }
  widget->setFont(*font);
  widget->setGeometry(rect);
  if (!(item.style & WS_TABSTOP)) widget->setFocusPolicy(Qt::NoFocus);
  widget->setVisible((item.style & WS_VISIBLE) != 0);
  wnd->AttachWidget(widget, static_cast<UINT>(item.id), true);
  return wnd;
}

CString GetControlText(HWND hWnd) {
  CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
  QWidget* w = wnd ? wnd->GetWidget() : nullptr;
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return CString(edit->text().toStdWString());
  if (auto* label = qobject_cast<QLabel*>(w)) return CString(label->text().toStdWString());
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return CString(button->text().toStdWString());
  return CString();
}

void SetControlText(HWND hWnd, const CString& text) {
  CWnd* wnd = CWnd::FromHandlePermanent(hWnd);
  QWidget* w = wnd ? wnd->GetWidget() : nullptr;
  const QString t = QString::fromWCharArray(text.GetString());
  if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(t);
  else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(t);
  else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(t);
}

// ---- the class-library fronts --------------------------------------------------------------------

LRESULT CListBox::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
int CListBox::GetCount() const { return static_cast<int>(Send(LB_GETCOUNT)); }
int CListBox::GetSelCount() const { return static_cast<int>(Send(LB_GETSELCOUNT)); }
int CListBox::GetSelItems(int nMaxItems, int* rgIndex) const {
  return static_cast<int>(Send(LB_GETSELITEMS, static_cast<WPARAM>(nMaxItems), reinterpret_cast<LPARAM>(rgIndex)));
}
int CListBox::SetSel(int nIndex, BOOL bSelect) {
  return static_cast<int>(Send(LB_SETSEL, static_cast<WPARAM>(bSelect), nIndex));
}
int CListBox::GetSel(int nIndex) const { return static_cast<int>(Send(LB_GETSEL, static_cast<WPARAM>(nIndex))); }
int CListBox::AddString(LPCWSTR lpszItem) {
  return static_cast<int>(Send(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(lpszItem)));
}
int CListBox::InsertString(int nIndex, LPCWSTR lpszItem) {
  return static_cast<int>(Send(LB_INSERTSTRING, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(lpszItem)));
}
int CListBox::DeleteString(UINT nIndex) { return static_cast<int>(Send(LB_DELETESTRING, nIndex)); }
int CListBox::GetTextLen(int nIndex) const { return static_cast<int>(Send(LB_GETTEXTLEN, static_cast<WPARAM>(nIndex))); }
int CListBox::GetText(int nIndex, CString& rString) const {
  const int length = GetTextLen(nIndex);
  if (length < 0) {
    rString.Empty();
    return static_cast<int>(LB_ERR);
  }
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  Send(LB_GETTEXT, static_cast<WPARAM>(nIndex), reinterpret_cast<LPARAM>(buffer.data()));
  rString = CString(buffer.data(), length);
  return length;
}
int CListBox::GetTopIndex() const { return static_cast<int>(Send(LB_GETTOPINDEX)); }
int CListBox::SetTopIndex(int nIndex) { return static_cast<int>(Send(LB_SETTOPINDEX, static_cast<WPARAM>(nIndex))); }
int CListBox::GetHorizontalExtent() const { return static_cast<int>(Send(LB_GETHORIZONTALEXTENT)); }
void CListBox::SetHorizontalExtent(int cxExtent) { Send(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(cxExtent)); }
void CListBox::ResetContent() { Send(LB_RESETCONTENT); }
void CListBox::SetRedraw(BOOL bRedraw) { Send(WM_SETREDRAW, static_cast<WPARAM>(bRedraw)); }

LRESULT CListCtrl::Send(UINT message, WPARAM wParam, LPARAM lParam) const {
  return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
int CListCtrl::GetItemCount() const { return static_cast<int>(Send(LVM_GETITEMCOUNT)); }
int CListCtrl::InsertItem(const LVITEMW* pItem) {
  return static_cast<int>(Send(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(pItem)));
}
int CListCtrl::InsertItem(int nItem, LPCWSTR lpszItem) {
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = nItem;
  item.pszText = const_cast<LPWSTR>(lpszItem);
  return InsertItem(&item);
}
BOOL CListCtrl::SetItemState(int nItem, UINT nState, UINT nMask) {
  LVITEMW item{};
  item.state = nState;
  item.stateMask = nMask;
  return static_cast<BOOL>(Send(LVM_SETITEMSTATE, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item)));
}
UINT CListCtrl::GetItemState(int nItem, UINT nMask) const {
  return static_cast<UINT>(Send(LVM_GETITEMSTATE, static_cast<WPARAM>(nItem), static_cast<LPARAM>(nMask)));
}
CString CListCtrl::GetItemText(int nItem, int nSubItem) const {
  std::vector<wchar_t> buffer(1024);
  LVITEMW item{};
  item.iSubItem = nSubItem;
  item.pszText = buffer.data();
  item.cchTextMax = static_cast<int>(buffer.size());
  const auto n = Send(LVM_GETITEMTEXTW, static_cast<WPARAM>(nItem), reinterpret_cast<LPARAM>(&item));
  return CString(buffer.data(), static_cast<int>(n));
}
BOOL CListCtrl::SetCheck(int nItem, BOOL fCheck) {
  return SetItemState(nItem, INDEXTOSTATEIMAGEMASK(fCheck ? 2 : 1), LVIS_STATEIMAGEMASK);
}
BOOL CListCtrl::GetCheck(int nItem) const {
  return static_cast<BOOL>(((GetItemState(nItem, LVIS_STATEIMAGEMASK) >> 12) - 1) == 1);
}
DWORD CListCtrl::GetExtendedStyle() const { return static_cast<DWORD>(Send(LVM_GETEXTENDEDLISTVIEWSTYLE)); }
DWORD CListCtrl::SetExtendedStyle(DWORD dwNewStyle) {
  return static_cast<DWORD>(Send(LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(dwNewStyle)));
}
void CListCtrl::SetRedraw(BOOL bRedraw) { Send(WM_SETREDRAW, static_cast<WPARAM>(bRedraw)); }
