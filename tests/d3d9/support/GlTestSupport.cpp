#include "GlTestSupport.h"

#include <dlfcn.h>

#include <QImage>
#include <cstdlib>

// After Qt: Xlib's macros clash with Qt's names.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xcomposite.h>

#include "OvfxPlugin.h"
#include "globalmem.h"

#ifndef OV_PLUGIN_DIR
#error OV_PLUGIN_DIR must name the plug-in folder
#endif
#ifndef OV_BUILD_DIR
#error OV_BUILD_DIR must name the build folder
#endif

TestWindow::TestWindow(int width, int height) : width_(width), height_(height) {
  display_ = XOpenDisplay(nullptr);
  if (!display_) return;
  XSetWindowAttributes attributes{};
  attributes.override_redirect = True;
  attributes.background_pixel = WhitePixel(display_, DefaultScreen(display_));
  attributes.event_mask = StructureNotifyMask;
  window_ = XCreateWindow(display_, DefaultRootWindow(display_), 0, 0, static_cast<unsigned>(width),
                          static_cast<unsigned>(height), 0, CopyFromParent, InputOutput, CopyFromParent,
                          CWOverrideRedirect | CWBackPixel | CWEventMask, &attributes);
  // Drawn into storage of its own, so that reading it back gives its pixels even while
  // another test's window covers it.
  XCompositeRedirectWindow(display_, window_, CompositeRedirectAutomatic);
  XMapRaised(display_, window_);
  XEvent event;
  do {
    XWindowEvent(display_, window_, StructureNotifyMask, &event);
  } while (event.type != MapNotify);
  XSync(display_, False);
}

TestWindow::~TestWindow() {
  Destroy();
  if (display_) XCloseDisplay(display_);
}

void TestWindow::Destroy() {
  if (display_ && window_) {
    XDestroyWindow(display_, window_);
    XSync(display_, False);
  }
  window_ = 0;
}

HWND TestWindow::hwnd() const { return HwndFromId(window_); }

bool Capture::WritePng(const std::string& path) const {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.setPixel(x, y, 0xFF000000u | at(x, y));
  return image.save(QString::fromStdString(path), "PNG");
}

Capture CaptureWindow(HWND window) {
  Capture capture;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return capture;
  XWindowAttributes attributes{};
  const Window id = static_cast<Window>(IdFromHwnd(window));
  if (XGetWindowAttributes(display, id, &attributes)) {
    XImage* image = XGetImage(display, id, 0, 0, static_cast<unsigned>(attributes.width),
                              static_cast<unsigned>(attributes.height), AllPlanes, ZPixmap);
    if (image) {
      capture.width = attributes.width;
      capture.height = attributes.height;
      capture.pixels.resize(static_cast<std::size_t>(capture.width) * capture.height);
      for (int y = 0; y < capture.height; ++y)
        for (int x = 0; x < capture.width; ++x)
          capture.pixels[static_cast<std::size_t>(y) * capture.width + x] =
              static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFFu;
      XDestroyImage(image);
    }
  }
  XCloseDisplay(display);
  return capture;
}

bool Near(std::uint32_t actual, std::uint32_t expected, int tolerance) {
  return std::abs(Red(actual) - Red(expected)) <= tolerance && std::abs(Green(actual) - Green(expected)) <= tolerance &&
         std::abs(Blue(actual) - Blue(expected)) <= tolerance;
}

PluginRecord LoadGridPlugin(const char* name) {
  PluginRecord record;
  const std::string path = std::string(OV_PLUGIN_DIR) + "/" + name + ".so";
  void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!module) return record;
  auto getInfo = reinterpret_cast<PFNGETPLUGININFO>(dlsym(module, "GetPluginInfo"));
  HGLOBAL name_block = nullptr;
  int planes = 0;
  if (!getInfo || !getInfo(&name_block, &planes)) return record;
  GlobalFree(name_block);  // the host frees the name block; the tests do not need the name
  record.hModule = static_cast<HMODULE>(module);
  record.pfnSetTextureCoordinate = reinterpret_cast<PFNSETTEXTURECOORDINATE>(dlsym(module, "SetTextureCoordinate"));
  record.pfnUpdateVertexCoordinate =
      reinterpret_cast<PFNUPDATEVERTEXCOORDINATE>(dlsym(module, "UpdateVertexCoordinate"));
  record.nPlanes = planes;
  return record;
}

std::string BuildDirectory() { return OV_BUILD_DIR; }

void DefaultScreenSize(int* width, int* height) {
  *width = *height = 0;
  Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  *width = DisplayWidth(display, DefaultScreen(display));
  *height = DisplayHeight(display, DefaultScreen(display));
  XCloseDisplay(display);
}

HWND DefaultRootWindowHandle() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  const HWND root = HwndFromId(DefaultRootWindow(display));
  XCloseDisplay(display);
  return root;
}
