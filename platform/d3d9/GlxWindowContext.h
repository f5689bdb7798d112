// An OpenGL context drawing into one X11 window through GLX, on a connection of its own.
#pragma once

#include <cstdint>

// Xlib's names stay out of this header: its macros clash with the device's.
struct _XDisplay;
struct __GLXcontextRec;

class GlxWindowContext {
 public:
  GlxWindowContext() = default;
  ~GlxWindowContext();
  GlxWindowContext(const GlxWindowContext&) = delete;
  GlxWindowContext& operator=(const GlxWindowContext&) = delete;

  // Opens a display connection and a GL 3.3 core context for the window. Any thread; once.
  // False when there is no display, the window is gone or its visual has no GLX config.
  bool Open(std::uint64_t window);

  // The window's client size when Open ran.
  unsigned Width() const { return width_; }
  unsigned Height() const { return height_; }

  // Binds the context to the calling thread / unbinds it. The caller serialises these.
  bool MakeCurrent();
  void Release();
  // Shows the back buffer (context current on the calling thread).
  void SwapBuffers();

 private:
  void Close();

  _XDisplay* display_ = nullptr;
  __GLXcontextRec* context_ = nullptr;
  unsigned long drawable_ = 0;
  unsigned width_ = 0;
  unsigned height_ = 0;
};

// Size of the default screen of the display named by DISPLAY; false without a display.
bool QueryDefaultScreenSize(unsigned* width, unsigned* height);
