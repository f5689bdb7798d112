// Backend: the controls of a dialog template as Qt widgets, each bound to a CWnd that
// answers the control's messages (BM_, EM_, LB_, LVM_). UI thread only.
#pragma once

#include <QListWidget>

#include "afxcmn.h"
#include "afxdlgs.h"

class QFont;

// A control's window: answers its messages, keeps system keys and close requests away from
// the control (they reach the dialog through Qt's propagation).
class ControlWnd : public CWnd {
 public:
  explicit ControlWnd(const QFont* dialogFont) : m_pDialogFont(dialogFont) {}
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 protected:
  const QFont* m_pDialogFont;
};

// The list box widget: the scroll range follows the horizontal extent given to it, and
// files dropped on it reach its window as WM_DROPFILES.
class ListBoxWidget : public QListWidget {
 public:
  explicit ListBoxWidget(QWidget* parent);
  int horizontalExtent = 0;

 protected:
  void updateGeometries() override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

// Creates the control of one template entry inside the dialog widget, at its pixel
// rectangle; the returned window owns the widget.
ControlWnd* CreateTemplateControl(const DialogControlTemplate& item, QWidget* dialog, const QRect& rect,
                                  const QFont* font);

// Text of a control (edit, static, button), and setting it.
CString GetControlText(HWND hWnd);
void SetControlText(HWND hWnd, const CString& text);
