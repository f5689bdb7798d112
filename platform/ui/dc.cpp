// Drawing contexts: QPainter on an image of the client area; what was drawn is put on the
// window's X11 drawable when the context ends.
#include <QApplication>
#include <QFont>
#include <QFontMetrics>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <unordered_map>

#include "QtWindowHost.h"
#include "X11Windows.h"
#include "afxwin.h"

class WindowSurface {
 public:
  explicit WindowSurface(QWidget* widget)
      : widget_(widget),
        image_(std::max(widget ? widget->width() : 1, 1), std::max(widget ? widget->height() : 1, 1),
               QImage::Format_RGB32) {
    image_.fill(Qt::black);
    painter_.begin(&image_);
  }
  ~WindowSurface() {
    painter_.end();
    if (widget_ && widget_->internalWinId() && !drawn_.isEmpty()) {
      x11::PutImage(widget_->internalWinId(), image_, drawn_);
    }
  }
  WindowSurface(const WindowSurface&) = delete;
  WindowSurface& operator=(const WindowSurface&) = delete;

  QPainter* painter() { return &painter_; }
  void Mark(const QRect& r) { drawn_ |= r.intersected(image_.rect()); }

 private:
  QWidget* widget_;
  QImage image_;
  QPainter painter_;
  QRect drawn_;
};

namespace {
QColor ToQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }
QRect ToQRect(const RECT& r) { return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top); }

// The context's default font: the application's font at the height of the system font.
QFont DefaultFont() {
  QFont font = QApplication::font();
  font.setPixelSize(16);
  return font;
}
}  // namespace

CDC* AfxDcFromHandle(HDC hDC) { return reinterpret_cast<CDC*>(hDC); }

// ---- fonts --------------------------------------------------------------------------------------

CFont::CFont() : m_pFont(new QFont(DefaultFont())) {}
CFont::~CFont() { delete m_pFont; }

BOOL CFont::CreatePointFont(int nPointSize10, LPCWSTR lpszFaceName) {
  *m_pFont = QFont(QString::fromWCharArray(lpszFaceName ? lpszFaceName : L""));
  m_pFont->setPointSizeF(nPointSize10 / 10.0);
  return TRUE;
}

CFont* CFont::FromHandle(HFONT hFont) {
  if (!hFont) return nullptr;
  static std::unordered_map<HFONT, CFont> wrappers;
  CFont& wrapper = wrappers[hFont];
  *wrapper.m_pFont = *reinterpret_cast<QFont*>(hFont);
  return &wrapper;
}

// ---- CDC ----------------------------------------------------------------------------------------

CDC::CDC() { m_hDC = reinterpret_cast<HDC>(this); }
CDC::~CDC() = default;

void CDC::Attach(QPainter* painter) {
  m_pPainter = painter;
  m_pPainter->setFont(DefaultFont());
}

void CDC::Detach() { m_pPainter = nullptr; }

void CDC::FillRect(LPCRECT lpRect, CBrush* pBrush) {
  if (!pBrush || !pBrush->m_bValid) return;
  FillSolidRect(lpRect, pBrush->m_color);
}

void CDC::FillSolidRect(LPCRECT lpRect, COLORREF color) {
  if (!m_pPainter || !lpRect) return;
  const QRect r = ToQRect(*lpRect);
  m_pPainter->fillRect(r, ToQColor(color));
  MarkDrawn(*lpRect);
}

COLORREF CDC::SetTextColor(COLORREF color) {
  const COLORREF old = m_textColor;
  m_textColor = color;
  return old;
}

COLORREF CDC::SetBkColor(COLORREF color) {
  const COLORREF old = m_bkColor;
  m_bkColor = color;
  return old;
}

int CDC::SetBkMode(int nBkMode) {
  const int old = m_bkMode;
  m_bkMode = nBkMode;
  return old;
}

int CDC::DrawTextW(LPCWSTR lpszString, int nCount, LPRECT lpRect, UINT nFormat) {
  if (!m_pPainter || !lpRect || !lpszString) return 0;
  const QString text = nCount < 0 ? QString::fromWCharArray(lpszString) : QString::fromWCharArray(lpszString, nCount);
  int flags = (nFormat & DT_CENTER) ? Qt::AlignHCenter : (nFormat & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
  if (nFormat & DT_SINGLELINE) {
    flags |= (nFormat & DT_VCENTER) ? Qt::AlignVCenter : (nFormat & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
  } else {
    flags |= Qt::AlignTop;
    if (nFormat & DT_WORDBREAK) flags |= Qt::TextWordWrap;
  }
  if (!(nFormat & DT_NOPREFIX)) flags |= Qt::TextShowMnemonic;
  const QRect area = ToQRect(*lpRect);
  const QRect bounds = m_pPainter->boundingRect(area, flags, text);
  if (nFormat & DT_CALCRECT) {
    lpRect->right = lpRect->left + bounds.width();
    lpRect->bottom = lpRect->top + bounds.height();
    return bounds.height();
  }
  m_pPainter->save();
  if (!(nFormat & DT_NOCLIP)) m_pPainter->setClipRect(area);
  if (m_bkMode == OPAQUE) m_pPainter->fillRect(bounds, ToQColor(m_bkColor));
  m_pPainter->setPen(ToQColor(m_textColor));
  m_pPainter->drawText(area, flags, text);
  m_pPainter->restore();
  const QRect drawn = (nFormat & DT_NOCLIP) ? bounds : bounds.intersected(area);
  MarkDrawn(RECT{drawn.left(), drawn.top(), drawn.left() + drawn.width(), drawn.top() + drawn.height()});
  return bounds.height();
}

CSize CDC::GetTextExtent(LPCWSTR lpszString, int nCount) const {
  const QFont font = m_pPainter ? m_pPainter->font() : DefaultFont();
  const QFontMetrics metrics(font);
  const QString text = nCount < 0 ? QString::fromWCharArray(lpszString) : QString::fromWCharArray(lpszString, nCount);
  return CSize(metrics.horizontalAdvance(text), metrics.height());
}

CFont* CDC::SelectObject(CFont* pFont) {
  CFont* old = m_pFont;
  m_pFont = pFont;
  if (m_pPainter) m_pPainter->setFont(pFont ? *pFont->m_pFont : DefaultFont());
  return old;
}

BOOL CDC::DrawIcon(int x, int y, HICON hIcon) {
  if (!m_pPainter || !hIcon) return FALSE;
  const QPixmap pixmap = reinterpret_cast<QIcon*>(hIcon)->pixmap(32, 32);
  m_pPainter->drawPixmap(x, y, pixmap);
  MarkDrawn(RECT{x, y, x + pixmap.width(), y + pixmap.height()});
  return TRUE;
}

// ---- window contexts ----------------------------------------------------------------------------

CClientDC::CClientDC(CWnd* pWnd) : m_pSurface(new WindowSurface(pWnd ? pWnd->GetWidget() : nullptr)), m_pWnd(pWnd) {
  Attach(m_pSurface->painter());
}

CClientDC::~CClientDC() {
  Detach();
  delete m_pSurface;
}

void CClientDC::MarkDrawn(const RECT& rect) { m_pSurface->Mark(ToQRect(rect)); }

CPaintDC::CPaintDC(CWnd* pWnd) : CClientDC(pWnd), m_ps{} {
  m_ps.hdc = m_hDC;
  if (pWnd) pWnd->GetClientRect(&m_ps.rcPaint);
  WindowBinding* binding = pWnd ? WindowBinding::Of(pWnd->GetWidget()) : nullptr;
  if (binding && binding->TakeErase()) {
    m_ps.fErase = pWnd->SendMessageW(WM_ERASEBKGND, reinterpret_cast<WPARAM>(m_hDC), 0) ? FALSE : TRUE;
  }
}

CPaintDC::~CPaintDC() = default;
