// CDialog on Qt: a QDialog laid out from the template, run in its own event loop.
#include <QAbstractButton>
#include <QContextMenuEvent>
#include <QDialog>
#include <QEventLoop>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QPointer>
#include <QWindow>
#include <cwchar>
#include <vector>

#include "controls.h"
#include "qtresource.h"

namespace {

// The faces the templates name, and what stands in for them here: IPA P Gothic, proportional
// as MS UI Gothic is.
QFont DialogFont(const DialogTemplate& t) {
  QFont font(QStringLiteral("IPAPGothic"));
  const std::wstring face = t.fontFace ? t.fontFace : L"";
  if (face != L"MS UI Gothic" && !face.empty()) font = QFont(QString::fromStdWString(face));
  // Points at the 96 pixels per inch that dialog layouts are made for.
  font.setPixelSize(std::max(1, (t.pointSize * 96 + 36) / 72));
  font.setStyleStrategy(QFont::PreferAntialias);
  return font;
}

int MulDiv(int a, int b, int c) { return static_cast<int>((static_cast<long long>(a) * b + (a >= 0 ? c / 2 : -c / 2)) / c); }

struct DataExchangeFailed {};

std::vector<CDialog*>& ModalStack() {
  static std::vector<CDialog*> stack;
  return stack;
}

}  // namespace

// Everything a running dialog owns on the Qt side.
class DialogHost {
 public:
  // The dialog's widget: Esc and the dialog's own reject go to IDCANCEL, as the command.
  class Widget : public QDialog {
   public:
    Widget(CDialog* owner, QWidget* parent) : QDialog(parent), owner_(owner) {}
    void reject() override {
      if (owner_ && owner_->m_hWnd) owner_->SendMessageW(WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), 0);
    }
    void Detach() { owner_ = nullptr; }

   protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
      // A right click on the dialog's background opens its system menu.
      if (owner_ && childAt(event->pos()) == nullptr) {
        owner_->ShowSystemMenu(CPoint(event->globalPos().x(), event->globalPos().y()));
        event->accept();
        return;
      }
      QDialog::contextMenuEvent(event);
    }

   private:
    CDialog* owner_;
  };

  QFont font;
  int baseX = 8;
  int baseY = 16;
  Widget* widget = nullptr;
  std::vector<ControlWnd*> controls;  // owned: deleted after the window is gone
  std::vector<CWnd*> fronts;          // members made fronts by DDX_Control
  CMenu systemMenu;
  bool hasSystemMenu = false;
  HICON bigIcon = nullptr;
  HICON smallIcon = nullptr;
  QEventLoop* loop = nullptr;
  bool ended = false;
  int result = IDCANCEL;
  QWindow* foreignParent = nullptr;

  ~DialogHost() {
    for (ControlWnd* c : controls) delete c;
    delete foreignParent;
  }

  void ClearFronts() {
    for (CWnd* f : fronts) f->m_hWnd = nullptr;
    fronts.clear();
  }
};

// ---- menus --------------------------------------------------------------------------------------

BOOL CMenu::AppendMenu(UINT nFlags, UINT_PTR nIDNewItem, LPCWSTR lpszNewItem) {
  m_items.push_back(Item{nFlags, static_cast<UINT>(nIDNewItem), CString(lpszNewItem)});
  return TRUE;
}

// ---- CDialog ------------------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_nIDTemplate(nIDTemplate), m_pParentWnd(pParentWnd) {}

CDialog::~CDialog() {
  if (m_pHost) {
    m_pHost->ClearFronts();
    if (m_hWnd) DestroyWindow();
  }
}

CDialog* CDialog::GetActiveModal() { return ModalStack().empty() ? nullptr : ModalStack().back(); }

BOOL CDialog::MapDialogRect(LPRECT r) const {
  const int bx = m_pHost ? m_pHost->baseX : 8;
  const int by = m_pHost ? m_pHost->baseY : 16;
  r->left = MulDiv(r->left, bx, 4);
  r->right = MulDiv(r->right, bx, 4);
  r->top = MulDiv(r->top, by, 8);
  r->bottom = MulDiv(r->bottom, by, 8);
  return TRUE;
}

INT_PTR CDialog::DoModal() {
  const DialogTemplate* t = FindDialogTemplate(m_nIDTemplate);
  if (!t || m_hWnd) return -1;

  m_pHost = std::make_unique<DialogHost>();
  DialogHost& host = *m_pHost;
  host.font = DialogFont(*t);
  const QFontMetrics metrics(host.font);
  const int letters = metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  host.baseX = (letters / 26 + 1) / 2;
  host.baseY = metrics.height();

  QWidget* parentWidget = m_pParentWnd ? m_pParentWnd->GetWidget() : nullptr;
  host.widget = new DialogHost::Widget(this, parentWidget ? parentWidget->window() : nullptr);
  QDialog* widget = host.widget;
  Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (t->style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  widget->setWindowFlags(flags);
  widget->setWindowModality(Qt::ApplicationModal);
  widget->setFont(host.font);
  widget->setWindowTitle(QString::fromWCharArray(t->caption ? t->caption : L""));
  widget->setAttribute(Qt::WA_DeleteOnClose, false);
  CRect client(0, 0, t->cx, t->cy);
  MapDialogRect(&client);
  widget->setFixedSize(client.Width(), client.Height());
  host.hasSystemMenu = (t->style & WS_SYSMENU) != 0;
  if (host.hasSystemMenu) {
    host.systemMenu.AppendMenu(MF_STRING, SC_MOVE, L"移動(&M)");
    host.systemMenu.AppendMenu(MF_SEPARATOR);
    host.systemMenu.AppendMenu(MF_STRING, SC_CLOSE, L"閉じる(&C)\tAlt+F4");
  }
  AttachWidget(widget, 0, true);
  if (!parentWidget && m_pParentWnd && m_pParentWnd->m_hWnd) {
    // A foreign owner (the host's window): the dialog stays above it.
    widget->winId();
    host.foreignParent = QWindow::fromWinId(static_cast<WId>(IdFromHwnd(m_pParentWnd->m_hWnd)));
    if (widget->windowHandle()) widget->windowHandle()->setTransientParent(host.foreignParent);
  }

  for (int i = 0; i < t->controlCount; ++i) {
    const DialogControlTemplate& item = t->controls[i];
    CRect r(item.x, item.y, item.x + item.cx, item.y + item.cy);
    MapDialogRect(&r);
    ControlWnd* control = CreateTemplateControl(item, widget, QRect(r.left, r.top, r.Width(), r.Height()), &host.font);
    host.controls.push_back(control);
    if (auto* button = qobject_cast<QAbstractButton*>(control->GetWidget())) {
      const int id = item.id;
      QObject::connect(button, &QAbstractButton::clicked, widget, [this, id, control] {
        if (m_hWnd) SendMessageW(WM_COMMAND, MAKELONG(static_cast<WORD>(id), BN_CLICKED), reinterpret_cast<LPARAM>(control->m_hWnd));
      });
    }
  }

  ModalStack().push_back(this);
  const BOOL focusDefault = static_cast<BOOL>(SendMessageW(WM_INITDIALOG, 0, 0));
  if (!host.ended && m_hWnd) {
    widget->show();
    widget->raise();
    widget->activateWindow();
    if (focusDefault) {
      for (ControlWnd* c : host.controls) {
        QWidget* w = c->GetWidget();
        if (w && w->isVisible() && w->isEnabled() && w->focusPolicy() != Qt::NoFocus) {
          w->setFocus(Qt::TabFocusReason);
          break;
        }
      }
    }
    QEventLoop loop;
    host.loop = &loop;
    if (!host.ended) loop.exec(QEventLoop::DialogExec);
    host.loop = nullptr;
  }
  ModalStack().pop_back();

  const int result = host.result;
  host.ClearFronts();
  host.widget->Detach();
  if (m_hWnd) DestroyWindow();
  m_pHost.reset();
  return result;
}

void CDialog::EndDialog(int nResult) {
  if (!m_pHost) return;
  m_pHost->result = nResult;
  m_pHost->ended = true;
  if (m_pHost->widget) m_pHost->widget->hide();
  if (m_pHost->loop) m_pHost->loop->exit(nResult);
}

BOOL CDialog::OnInitDialog() {
  // Fills the controls from the members.
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (!UpdateData(TRUE)) return;
  EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL bSaveAndValidate) {
  CDataExchange dx(this, bSaveAndValidate);
  try {
    DoDataExchange(&dx);
  } catch (const DataExchangeFailed&) {
    return FALSE;
  }
  return TRUE;
}

CMenu* CDialog::GetSystemMenu(BOOL) { return m_pHost && m_pHost->hasSystemMenu ? &m_pHost->systemMenu : nullptr; }

HICON CDialog::SetIcon(HICON hIcon, BOOL bBigIcon) {
  return reinterpret_cast<HICON>(SendMessageW(WM_SETICON, bBigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(hIcon)));
}

HICON CDialog::GetIcon(BOOL bBigIcon) const {
  if (!m_pHost) return nullptr;
  return bBigIcon ? m_pHost->bigIcon : m_pHost->smallIcon;
}

CFont* CDialog::GetFont() const {
  return m_pHost ? CFont::FromHandle(reinterpret_cast<HFONT>(&m_pHost->font)) : nullptr;
}

void CDialog::ShowSystemMenu(CPoint screenPoint) {
  if (!m_pHost || !m_pHost->hasSystemMenu || !m_pHost->widget) return;
  QMenu menu(m_pHost->widget);
  menu.setObjectName(QStringLiteral("ov_system_menu"));
  for (const CMenu::Item& item : m_pHost->systemMenu.Items()) {
    if (item.flags & MF_SEPARATOR) {
      menu.addSeparator();
      continue;
    }
    QAction* action = menu.addAction(QString::fromWCharArray(item.text.GetString()));
    action->setData(item.id);
    action->setEnabled(!(item.flags & MF_GRAYED));
  }
  QPointer<QWidget> guard(m_pHost->widget);
  QAction* chosen = menu.exec(QPoint(screenPoint.x, screenPoint.y));
  if (chosen && guard && m_hWnd) SendMessageW(WM_SYSCOMMAND, chosen->data().toUInt(), 0);
}

BOOL CDialog::OnCommand(WPARAM wParam, LPARAM lParam) { return CWnd::OnCommand(wParam, lParam); }

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      return OnInitDialog();
    case WM_GETFONT:
      return m_pHost ? reinterpret_cast<LRESULT>(&m_pHost->font) : 0;
    case WM_SETICON: {
      if (!m_pHost) return 0;
      HICON& slot = wParam == ICON_BIG ? m_pHost->bigIcon : m_pHost->smallIcon;
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      const QIcon* icon = IconFromHandle(m_pHost->bigIcon ? m_pHost->bigIcon : m_pHost->smallIcon);
      if (m_pHost->widget) m_pHost->widget->setWindowIcon(icon ? *icon : QIcon());
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_CLOSE:
      // Closing a dialog is its cancel command.
      SendMessageW(WM_COMMAND, MAKELONG(IDCANCEL, BN_CLICKED), 0);
      return 0;
    case WM_SYSKEYDOWN:
      if (wParam == VK_SPACE && (static_cast<std::uintptr_t>(lParam) & (1u << 29))) {
        CRect rect;
        GetWindowRect(&rect);
        ShowSystemMenu(CPoint(rect.left, rect.top));
        return 0;
      }
      return CWnd::DefWindowProc(message, wParam, lParam);
    case WM_SYSCOMMAND:
      switch (wParam & 0xFFF0) {
        case SC_MOVE:
          if (m_pHost && m_pHost->widget && m_pHost->widget->windowHandle()) m_pHost->widget->windowHandle()->startSystemMove();
          return 0;
        case SC_MINIMIZE:
          if (m_pHost && m_pHost->widget) m_pHost->widget->showMinimized();
          return 0;
        default:
          return CWnd::DefWindowProc(message, wParam, lParam);
      }
    case WM_PAINT:
      // Qt paints the dialog and its controls.
      return 0;
    default:
      return CWnd::DefWindowProc(message, wParam, lParam);
  }
}

// ---- data exchange ------------------------------------------------------------------------------

HWND CDataExchange::PrepareCtrl(int nIDC) {
  CWnd* control = m_pDlgWnd->GetDlgItem(nIDC);
  m_hWndLastControl = control ? control->m_hWnd : nullptr;
  m_bEditLastControl = false;
  return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int nIDC) {
  HWND h = PrepareCtrl(nIDC);
  m_bEditLastControl = true;
  return h;
}

void CDataExchange::Fail() {
  if (m_bSaveAndValidate && m_hWndLastControl) {
    if (CWnd* control = CWnd::FromHandlePermanent(m_hWndLastControl)) {
      control->SetFocus();
      if (m_bEditLastControl) control->SendMessageW(EM_SETSEL, 0, -1);
    }
  }
  throw DataExchangeFailed{};
}

void DDX_Check(CDataExchange* pDX, int nIDC, int& value) {
  HWND h = pDX->PrepareCtrl(nIDC);
  if (!h) return;
  if (pDX->m_bSaveAndValidate) {
    value = static_cast<int>(::SendMessageW(h, BM_GETCHECK, 0, 0));
  } else {
    ::SendMessageW(h, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

bool ParseUnsignedLikeScanf(const wchar_t* text, UINT& value) {
  unsigned int v = 0;
  if (!text || std::swscanf(text, L"%u", &v) != 1) return false;
  value = v;
  return true;
}

void DDX_Text(CDataExchange* pDX, int nIDC, UINT& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (!h) return;
  if (pDX->m_bSaveAndValidate) {
    // The framework reads at most 63 characters of the text.
    const CString text = GetControlText(h).Left(63);
    if (!ParseUnsignedLikeScanf(text, value)) {
      AfxMessageBox(AFX_IDP_PARSE_UINT);
      pDX->Fail();
    }
  } else {
    CString text;
    text.Format(L"%u", value);
    SetControlText(h, text);
  }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value) {
  HWND h = pDX->PrepareEditCtrl(nIDC);
  if (!h) return;
  if (pDX->m_bSaveAndValidate) {
    value = GetControlText(h);
  } else {
    SetControlText(h, value);
  }
}

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl) {
  if (rControl.m_hWnd) return;
  HWND h = pDX->PrepareCtrl(nIDC);
  auto* dialog = dynamic_cast<CDialog*>(pDX->m_pDlgWnd);
  if (!h || !dialog || !dialog->m_pHost) return;
  rControl.m_hWnd = h;
  dialog->m_pHost->fronts.push_back(&rControl);
}
