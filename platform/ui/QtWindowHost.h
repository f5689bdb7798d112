// Backend: the Qt side of windows. Every function here runs on the user-interface thread
// unless it says otherwise.
#pragma once

#include <QObject>
#include <QSize>
#include <QWidget>

#include "wintypes.h"

class CWnd;
class QTimer;
class QWindow;

// A native widget that Qt never paints: what the window shows comes from the drawing
// contexts (XPutImage) and from the GL device presenting into the same X window.
class DrawingWidget : public QWidget {
 public:
  DrawingWidget(QWidget* parent, Qt::WindowFlags flags);
  QPaintEngine* paintEngine() const override { return nullptr; }
};

// Turns one widget's events into the messages of its CWnd. A child of the widget.
class WindowBinding : public QObject {
 public:
  // foreignParent: the X11 id of a foreign parent window to watch (0 when none).
  WindowBinding(CWnd* wnd, QWidget* widget, std::uint64_t foreignParent, QWindow* foreignWindow);
  ~WindowBinding() override;

  // Sends WM_SIZE when the client size differs from the last one sent (always with force).
  void SendSize(bool force);
  // Whether WM_PAINT should erase first; clears the request.
  bool TakeErase();
  void RequestErase(bool erase) { erase_ = erase_ || erase; }
  // Cuts the link before the window goes: no further message reaches the CWnd.
  void Unbind();

  static WindowBinding* Of(const QWidget* widget);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void WatchForeignParent();
  LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam);
  void SendMouse(UINT message, QPointF position, Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

  CWnd* wnd_;
  QWidget* widget_;
  QSize lastSize_{-1, -1};
  bool erase_ = true;
  std::uint64_t foreignParent_;
  QWindow* foreignWindow_;
  QTimer* watch_ = nullptr;
  bool drawing_ = false;  // a DrawingWidget: its events end here
};

namespace uihost {

// The windows of this process by handle.
void Register(HWND hWnd, CWnd* wnd);
void Unregister(HWND hWnd);
CWnd* Lookup(HWND hWnd);
// Any thread.
bool IsOurs(HWND hWnd);
// Any thread: queues a message for the window; false when the window is not ours.
bool Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
// Queues the quit message.
void PostQuit(int code);
// Sends WM_ACTIVATEAPP to every top-level window of ours.
void BroadcastActivateApp(bool active);
// The widget whose WM_SETCURSOR is being handled (target of SetCursor), or null.
QWidget* CursorTarget();
void SetCursorTarget(QWidget* widget);

// Windows' virtual-key code for a Qt key (0 when there is none).
UINT VirtualKeyFromQt(int key, std::uint32_t nativeVirtualKey);

}  // namespace uihost
