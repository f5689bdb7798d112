#include "X11Windows.h"

// Qt before Xlib: Xlib's macros (Bool, Status, CursorShape) clash with Qt's names.
#include <QGuiApplication>
#include <QImage>
#include <QRect>
#include <cstdlib>
#include <mutex>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <xcb/xcb.h>

namespace x11 {
namespace {

// One connection for the queries; xcb connections are safe from any thread.
class QueryConnection {
 public:
  QueryConnection() {
    conn_ = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(conn_)) {
      xcb_disconnect(conn_);
      conn_ = nullptr;
    }
  }
  ~QueryConnection() {
    if (conn_) xcb_disconnect(conn_);
  }
  QueryConnection(const QueryConnection&) = delete;
  QueryConnection& operator=(const QueryConnection&) = delete;
  xcb_connection_t* get() const { return conn_; }

 private:
  xcb_connection_t* conn_;
};

xcb_connection_t* Connection() {
  static QueryConnection connection;
  return connection.get();
}

bool Geometry(std::uint64_t id, xcb_get_geometry_reply_t** out) {
  xcb_connection_t* c = Connection();
  if (!c || id == 0 || id > 0xFFFFFFFFu) return false;
  xcb_generic_error_t* error = nullptr;
  *out = xcb_get_geometry_reply(c, xcb_get_geometry(c, static_cast<xcb_drawable_t>(id)), &error);
  std::free(error);
  return *out != nullptr;
}

}  // namespace

bool WindowSize(std::uint64_t id, int* width, int* height) {
  xcb_get_geometry_reply_t* g = nullptr;
  if (!Geometry(id, &g)) return false;
  *width = g->width;
  *height = g->height;
  std::free(g);
  return true;
}

bool WindowOrigin(std::uint64_t id, int* x, int* y) {
  xcb_get_geometry_reply_t* g = nullptr;
  if (!Geometry(id, &g)) return false;
  xcb_connection_t* c = Connection();
  xcb_translate_coordinates_reply_t* t = xcb_translate_coordinates_reply(
      c, xcb_translate_coordinates(c, static_cast<xcb_window_t>(id), g->root, 0, 0), nullptr);
  std::free(g);
  if (!t) return false;
  *x = t->dst_x;
  *y = t->dst_y;
  std::free(t);
  return true;
}

void PutImage(std::uint64_t id, const QImage& image, const QRect& area) {
  auto* native = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
  if (!native || area.isEmpty()) return;
  Display* display = native->display();
  const auto window = static_cast<Window>(id);
  XWindowAttributes attributes;
  if (!XGetWindowAttributes(display, window, &attributes)) return;

  QImage pixels = image.convertToFormat(QImage::Format_RGB32);
  XImage xi{};
  xi.width = pixels.width();
  xi.height = pixels.height();
  xi.format = ZPixmap;
  xi.data = reinterpret_cast<char*>(pixels.bits());
  xi.byte_order = LSBFirst;
  xi.bitmap_unit = 32;
  xi.bitmap_bit_order = LSBFirst;
  xi.bitmap_pad = 32;
  xi.depth = attributes.depth;
  xi.bytes_per_line = static_cast<int>(pixels.bytesPerLine());
  xi.bits_per_pixel = 32;
  xi.red_mask = 0xFF0000;
  xi.green_mask = 0x00FF00;
  xi.blue_mask = 0x0000FF;
  if (!XInitImage(&xi)) return;
  GC gc = XCreateGC(display, window, 0, nullptr);
  const QRect clipped = area.intersected(pixels.rect());
  XPutImage(display, window, gc, &xi, clipped.x(), clipped.y(), clipped.x(), clipped.y(),
            static_cast<unsigned>(clipped.width()), static_cast<unsigned>(clipped.height()));
  XFreeGC(display, gc);
  XFlush(display);
}

}  // namespace x11
