// IsWindow over a private xcb connection: a checked request answers for any window id, ours
// or another program's, and an error comes back as a reply instead of reaching an Xlib
// error handler.
#include <cstdlib>
#include <mutex>

#include <xcb/xcb.h>

#include "winuser.h"

namespace {

std::mutex g_mutex;
xcb_connection_t* g_connection = nullptr;

// The connection, opened at first use and again after it broke. Called with g_mutex held.
xcb_connection_t* Connection() {
  if (g_connection && xcb_connection_has_error(g_connection)) {
    xcb_disconnect(g_connection);
    g_connection = nullptr;
  }
  if (!g_connection) {
    xcb_connection_t* connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
      xcb_disconnect(connection);
      return nullptr;
    }
    g_connection = connection;
  }
  return g_connection;
}

}  // namespace

BOOL IsWindow(HWND hWnd) {
  const std::uint64_t id = IdFromHwnd(hWnd);
  if (id == 0 || id > 0xFFFFFFFFu) return FALSE;
  std::lock_guard<std::mutex> lock(g_mutex);
  xcb_connection_t* connection = Connection();
  if (!connection) return FALSE;
  xcb_generic_error_t* error = nullptr;
  xcb_get_window_attributes_reply_t* reply = xcb_get_window_attributes_reply(
      connection, xcb_get_window_attributes(connection, static_cast<xcb_window_t>(id)), &error);
  const BOOL exists = reply != nullptr;
  std::free(reply);
  std::free(error);
  return exists;
}
