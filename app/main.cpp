// The program's entry point: the framework's start on the one application object.
// Qt before Xlib: Xlib's macros clash with Qt's names.
#include <QApplication>

#include <X11/Xlib.h>

#include <cstdio>

#include "app/OrvaneMovieScreenSaverApp.h"
#include "processenv.h"

COrvaneMovieScreenSaverApp theApp;

int main(int argc, char** argv) {
  // The device draws from the renderer's thread into our windows.
  XInitThreads();
  SetCommandLineFromArgs(argc, argv);
  // Without an X server there is nothing to show: say so instead of letting Qt abort.
  if (Display* display = XOpenDisplay(nullptr)) {
    XCloseDisplay(display);
  } else {
    std::fprintf(stderr, "OrvaneMovieScreenSaver: cannot open the X display \"%s\"\n", XDisplayName(nullptr));
    return 1;
  }
  // Window handles are X11 window ids.
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return AfxWinMain();
}
