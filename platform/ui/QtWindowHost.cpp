#include "QtWindowHost.h"

#include <QCloseEvent>
#include <QCursor>
#include <QCoreApplication>
#include <QEnterEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QTimer>
#include <QWindow>
#include <atomic>
#include <mutex>
#include <unordered_map>
#include <unordered_set>

#include "afxwin.h"

DrawingWidget::DrawingWidget(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags) {
  setAttribute(Qt::WA_NativeWindow);
  setAttribute(Qt::WA_PaintOnScreen);
  setAttribute(Qt::WA_NoSystemBackground);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAttribute(Qt::WA_DontCreateNativeAncestors);
  setAutoFillBackground(false);
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);
}

// ---- the registry and the queue of posted messages ------------------------------------------

namespace uihost {
namespace {

std::unordered_map<HWND, CWnd*>& Windows() {
  static std::unordered_map<HWND, CWnd*> windows;
  return windows;
}
std::mutex g_idsMutex;
std::unordered_set<HWND>& Ids() {
  static std::unordered_set<HWND> ids;
  return ids;
}
QWidget* g_cursorTarget = nullptr;

const QEvent::Type kPostedMessage = static_cast<QEvent::Type>(QEvent::registerEventType());
const QEvent::Type kQuit = static_cast<QEvent::Type>(QEvent::registerEventType());

struct PostedMessage : QEvent {
  PostedMessage(HWND h, UINT m, WPARAM w, LPARAM l) : QEvent(kPostedMessage), hWnd(h), message(m), wParam(w), lParam(l) {}
  HWND hWnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
struct QuitMessage : QEvent {
  explicit QuitMessage(int c) : QEvent(kQuit), code(c) {}
  int code;
};

// Lives on the user-interface thread; every posted message goes through its queue, so
// messages arrive in the order they were posted, whichever window they are for.
class MessagePump : public QObject {
 public:
  MessagePump() {
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
      connect(app, &QGuiApplication::applicationStateChanged, this,
              [this](Qt::ApplicationState state) {
                const bool active = state == Qt::ApplicationActive;
                if (active != active_) {
                  active_ = active;
                  BroadcastActivateApp(active);
                }
              });
    }
  }

 protected:
  bool event(QEvent* e) override {
    if (e->type() == kPostedMessage) {
      auto* m = static_cast<PostedMessage*>(e);
      if (CWnd* wnd = Lookup(m->hWnd)) AfxCallWndProc(wnd, m->hWnd, m->message, m->wParam, m->lParam);
      return true;
    }
    if (e->type() == kQuit) {
      const int code = static_cast<QuitMessage*>(e)->code;
      if (CWinApp* app = AfxGetApp()) app->m_nQuitCode = code;
      QCoreApplication::exit(code);
      return true;
    }
    return QObject::event(e);
  }

 private:
  bool active_ = false;
};

std::atomic<MessagePump*> g_pump{nullptr};

MessagePump* Pump() {
  MessagePump* pump = g_pump.load();
  if (!pump && QCoreApplication::instance()) {
    pump = new MessagePump;  // kept for the life of the process
    g_pump.store(pump);
  }
  return pump;
}

}  // namespace

void Register(HWND hWnd, CWnd* wnd) {
  Pump();
  Windows()[hWnd] = wnd;
  std::lock_guard lock(g_idsMutex);
  Ids().insert(hWnd);
}

void Unregister(HWND hWnd) {
  Windows().erase(hWnd);
  std::lock_guard lock(g_idsMutex);
  Ids().erase(hWnd);
}

CWnd* Lookup(HWND hWnd) {
  auto it = Windows().find(hWnd);
  return it == Windows().end() ? nullptr : it->second;
}

bool IsOurs(HWND hWnd) {
  std::lock_guard lock(g_idsMutex);
  return Ids().count(hWnd) != 0;
}

bool Post(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
  MessagePump* pump = g_pump.load();
  if (!pump) return false;
  std::lock_guard lock(g_idsMutex);
  if (!Ids().count(hWnd)) return false;
  QCoreApplication::postEvent(pump, new PostedMessage(hWnd, message, wParam, lParam));
  return true;
}

void PostQuit(int code) {
  if (MessagePump* pump = Pump()) QCoreApplication::postEvent(pump, new QuitMessage(code));
}

void BroadcastActivateApp(bool active) {
  std::vector<HWND> topLevel;
  for (auto& [h, wnd] : Windows()) {
    if (wnd->GetWidget() && wnd->GetWidget()->isWindow()) topLevel.push_back(h);
  }
  for (HWND h : topLevel) {
    if (CWnd* wnd = Lookup(h)) AfxCallWndProc(wnd, h, WM_ACTIVATEAPP, active ? TRUE : FALSE, 0);
  }
}

QWidget* CursorTarget() { return g_cursorTarget; }
void SetCursorTarget(QWidget* widget) { g_cursorTarget = widget; }

UINT VirtualKeyFromQt(int key, std::uint32_t nativeVirtualKey) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<UINT>('A' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<UINT>('0' + (key - Qt::Key_0));
  if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return static_cast<UINT>(0x70 + (key - Qt::Key_F1));
  switch (key) {
    case Qt::Key_Backspace: return 0x08;
    case Qt::Key_Tab: case Qt::Key_Backtab: return 0x09;
    case Qt::Key_Return: case Qt::Key_Enter: return VK_RETURN;
    case Qt::Key_Shift: return 0x10;
    case Qt::Key_Control: return 0x11;
    case Qt::Key_Alt: case Qt::Key_AltGr: return VK_MENU;
    case Qt::Key_Pause: return 0x13;
    case Qt::Key_CapsLock: return 0x14;
    case Qt::Key_Escape: return VK_ESCAPE;
    case Qt::Key_Space: return VK_SPACE;
    case Qt::Key_PageUp: return 0x21;
    case Qt::Key_PageDown: return 0x22;
    case Qt::Key_End: return 0x23;
    case Qt::Key_Home: return 0x24;
    case Qt::Key_Left: return 0x25;
    case Qt::Key_Up: return 0x26;
    case Qt::Key_Right: return 0x27;
    case Qt::Key_Down: return 0x28;
    case Qt::Key_Print: return 0x2C;
    case Qt::Key_Insert: return 0x2D;
    case Qt::Key_Delete: return 0x2E;
    case Qt::Key_Meta: case Qt::Key_Super_L: return 0x5B;
    case Qt::Key_Super_R: return 0x5C;
    case Qt::Key_Menu: return 0x5D;
    case Qt::Key_NumLock: return 0x90;
    case Qt::Key_ScrollLock: return 0x91;
    default: break;
  }
  // Anything else still is a key: report the keysym's low byte so no press goes unseen.
  return nativeVirtualKey ? (nativeVirtualKey & 0xFF) : 0xFF;
}

}  // namespace uihost

// ---- one widget's events --------------------------------------------------------------------

WindowBinding::WindowBinding(CWnd* wnd, QWidget* widget, std::uint64_t foreignParent, QWindow* foreignWindow)
    : QObject(widget), wnd_(wnd), widget_(widget), foreignParent_(foreignParent), foreignWindow_(foreignWindow) {
  setObjectName(QStringLiteral("ov_window_binding"));
  drawing_ = dynamic_cast<DrawingWidget*>(widget) != nullptr;
  lastSize_ = widget->size();
  widget_->installEventFilter(this);
  if (foreignParent_) WatchForeignParent();
}

WindowBinding::~WindowBinding() { delete foreignWindow_; }

WindowBinding* WindowBinding::Of(const QWidget* widget) {
  if (!widget) return nullptr;
  return widget->findChild<WindowBinding*>(QStringLiteral("ov_window_binding"), Qt::FindDirectChildrenOnly);
}

void WindowBinding::Unbind() {
  if (widget_) widget_->removeEventFilter(this);
  if (watch_) watch_->stop();
  wnd_ = nullptr;
  // The foreign parent's stand-in goes first, with our window taken from under it.
  if (foreignWindow_) {
    if (QWindow* handle = widget_->windowHandle()) handle->setParent(nullptr);
    delete foreignWindow_;
    foreignWindow_ = nullptr;
  }
}

LRESULT WindowBinding::Send(UINT message, WPARAM wParam, LPARAM lParam) {
  if (!wnd_ || !wnd_->m_hWnd) return 0;
  return AfxCallWndProc(wnd_, wnd_->m_hWnd, message, wParam, lParam);
}

void WindowBinding::SendSize(bool force) {
  const QSize size = widget_->size();
  if (!force && size == lastSize_) return;
  lastSize_ = size;
  Send(WM_SIZE, SIZE_RESTORED, static_cast<LPARAM>(MAKELONG(static_cast<WORD>(size.width()), static_cast<WORD>(size.height()))));
}

bool WindowBinding::TakeErase() {
  const bool erase = erase_;
  erase_ = false;
  return erase;
}

// The host's window can go away under the preview; the preview then goes too, as a child
// window does when its parent is destroyed.
void WindowBinding::WatchForeignParent() {
  watch_ = new QTimer(this);
  watch_->setInterval(250);
  connect(watch_, &QTimer::timeout, this, [this] {
    if (wnd_ && !::IsWindow(HwndFromId(foreignParent_))) {
      watch_->stop();
      wnd_->DestroyWindow();
    }
  });
  watch_->start();
}

namespace {
WPARAM MouseKeyFlags(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
  WPARAM flags = 0;
  if (buttons & Qt::LeftButton) flags |= MK_LBUTTON;
  if (buttons & Qt::RightButton) flags |= MK_RBUTTON;
  if (buttons & Qt::MiddleButton) flags |= MK_MBUTTON;
  if (modifiers & Qt::ShiftModifier) flags |= MK_SHIFT;
  if (modifiers & Qt::ControlModifier) flags |= MK_CONTROL;
  return flags;
}
LPARAM PointParam(QPointF p) {
  const int x = static_cast<int>(p.x());
  const int y = static_cast<int>(p.y());
  return static_cast<LPARAM>(MAKELONG(static_cast<WORD>(x), static_cast<WORD>(y)));
}
}  // namespace

// The pointer over a window first asks for its shape (WM_SETCURSOR), then reports itself.
void WindowBinding::SendMouse(UINT message, QPointF position, Qt::MouseButtons buttons,
                              Qt::KeyboardModifiers modifiers) {
  if (!wnd_) return;
  QPointer<QWidget> guard(widget_);
  uihost::SetCursorTarget(widget_);
  Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(wnd_->m_hWnd), static_cast<LPARAM>(MAKELONG(HTCLIENT, static_cast<WORD>(message))));
  uihost::SetCursorTarget(nullptr);
  if (guard) Send(message, MouseKeyFlags(buttons, modifiers), PointParam(position));
}

bool WindowBinding::eventFilter(QObject* watched, QEvent* event) {
  if (watched != widget_ || !wnd_) return false;
  switch (event->type()) {
    case QEvent::Paint:
      // Widgets of the dialog layer paint themselves; drawing windows only through WM_PAINT.
      if (!drawing_) return false;
      Send(WM_PAINT, 0, 0);
      return true;
    case QEvent::Resize:
      SendSize(false);
      return false;
    case QEvent::Enter: {
      // A window appearing under the pointer hears from it at once, as a move.
      // The pointer's own position: the event's may predate the window's final geometry.
      SendMouse(WM_MOUSEMOVE, QPointF(widget_->mapFromGlobal(QCursor::pos())), QGuiApplication::mouseButtons(),
                QGuiApplication::keyboardModifiers());
      return false;
    }
    case QEvent::MouseMove: {
      auto* e = static_cast<QMouseEvent*>(event);
      SendMouse(WM_MOUSEMOVE, e->position(), e->buttons(), e->modifiers());
      return drawing_;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease: {
      auto* e = static_cast<QMouseEvent*>(event);
      const bool down = event->type() != QEvent::MouseButtonRelease;
      UINT message = 0;
      switch (e->button()) {
        case Qt::LeftButton: message = down ? WM_LBUTTONDOWN : WM_LBUTTONUP; break;
        case Qt::RightButton: message = down ? WM_RBUTTONDOWN : WM_RBUTTONUP; break;
        case Qt::MiddleButton: message = down ? WM_MBUTTONDOWN : WM_MBUTTONUP; break;
        default: return drawing_;  // extra buttons carry no message here
      }
      SendMouse(message, e->position(), e->buttons(), e->modifiers());
      return drawing_;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
      auto* e = static_cast<QKeyEvent*>(event);
      const bool down = event->type() == QEvent::KeyPress;
      const UINT vk = uihost::VirtualKeyFromQt(e->key(), e->nativeVirtualKey());
      // Alt, F10 and keys pressed with Alt are system keys.
      const bool alt = (e->modifiers() & Qt::AltModifier) || e->key() == Qt::Key_Alt;
      const bool sys = alt || e->key() == Qt::Key_F10;
      UINT message = down ? (sys ? WM_SYSKEYDOWN : WM_KEYDOWN) : (sys ? WM_SYSKEYUP : WM_KEYUP);
      LPARAM lp = 1 | static_cast<LPARAM>((e->nativeScanCode() & 0xFF) << 16);
      if (alt) lp |= LPARAM{1} << 29;
      if (e->isAutoRepeat() || !down) lp |= LPARAM{1} << 30;
      if (!down) lp |= LPARAM{1} << 31;
      Send(message, vk, lp);
      return drawing_;
    }
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
      if (!widget_->isWindow()) return false;
      const bool active = event->type() == QEvent::WindowActivate;
      QPointer<QWidget> guard(widget_);
      Send(WM_NCACTIVATE, active ? TRUE : FALSE, 0);
      if (guard && wnd_) Send(WM_ACTIVATE, active ? WA_ACTIVE : WA_INACTIVE, 0);
      return false;
    }
    case QEvent::Close:
      // The window manager's close request is the system menu's close command.
      event->ignore();
      Send(WM_SYSCOMMAND, SC_CLOSE, 0);
      return true;
    default:
      return false;
  }
}
