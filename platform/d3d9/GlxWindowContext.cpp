#include "GlxWindowContext.h"

#include <epoxy/glx.h>
#include <X11/Xlib.h>

namespace {

GLXFBConfig FindConfigForVisual(Display* display, int screen, VisualID visual) {
  const int attributes[] = {GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_RENDER_TYPE, GLX_RGBA_BIT,
                            GLX_DOUBLEBUFFER,  True,           GLX_RED_SIZE,    8,
                            GLX_GREEN_SIZE,    8,              GLX_BLUE_SIZE,   8,
                            None};
  int count = 0;
  GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes, &count);
  GLXFBConfig found = nullptr;
  for (int i = 0; i < count && !found; ++i) {
    int id = 0;
    if (glXGetFBConfigAttrib(display, configs[i], GLX_VISUAL_ID, &id) == Success &&
        static_cast<VisualID>(id) == visual)
      found = configs[i];
  }
  if (configs) XFree(configs);
  return found;
}

}  // namespace

GlxWindowContext::~GlxWindowContext() { Close(); }

bool GlxWindowContext::Open(std::uint64_t window) {
  if (display_ || window == 0) return false;
  display_ = XOpenDisplay(nullptr);
  if (!display_) return false;
  int errorBase = 0, eventBase = 0;
  XWindowAttributes attributes{};
  if (!glXQueryExtension(display_, &errorBase, &eventBase) ||
      !XGetWindowAttributes(display_, static_cast<Window>(window), &attributes)) {
    Close();
    return false;
  }
  const int screen = XScreenNumberOfScreen(attributes.screen);
  GLXFBConfig config = FindConfigForVisual(display_, screen, XVisualIDFromVisual(attributes.visual));
  if (!config || !epoxy_has_glx_extension(display_, screen, "GLX_ARB_create_context_profile")) {
    Close();
    return false;
  }
  // Unbinding need not flush: one context, used by one thread at a time under the device lock.
  const bool flushControl = epoxy_has_glx_extension(display_, screen, "GLX_ARB_context_flush_control");
  int contextAttributes[] = {GLX_CONTEXT_MAJOR_VERSION_ARB,
                             3,
                             GLX_CONTEXT_MINOR_VERSION_ARB,
                             3,
                             GLX_CONTEXT_PROFILE_MASK_ARB,
                             GLX_CONTEXT_CORE_PROFILE_BIT_ARB,
                             flushControl ? GLX_CONTEXT_RELEASE_BEHAVIOR_ARB : 0,
                             GLX_CONTEXT_RELEASE_BEHAVIOR_NONE_ARB,
                             None};
  context_ = glXCreateContextAttribsARB(display_, config, nullptr, True, contextAttributes);
  if (!context_) {
    Close();
    return false;
  }
  drawable_ = static_cast<GLXDrawable>(window);
  width_ = static_cast<unsigned>(attributes.width);
  height_ = static_cast<unsigned>(attributes.height);
  if (!MakeCurrent()) {
    Close();
    return false;
  }
  // Present as fast as the frames come: the renderer keeps the time.
  if (epoxy_has_glx_extension(display_, screen, "GLX_EXT_swap_control"))
    glXSwapIntervalEXT(display_, drawable_, 0);
  else if (epoxy_has_glx_extension(display_, screen, "GLX_MESA_swap_control"))
    glXSwapIntervalMESA(0);
  Release();
  return true;
}

bool GlxWindowContext::MakeCurrent() { return glXMakeCurrent(display_, drawable_, context_) == True; }

void GlxWindowContext::Release() { glXMakeCurrent(display_, None, nullptr); }

void GlxWindowContext::SwapBuffers() {
  glXSwapBuffers(display_, drawable_);
  // The frame has reached the X server when Present returns: other clients (a screenshot,
  // the window's own painting) see it, and frames never queue up in the connection.
  XSync(display_, False);
}

void GlxWindowContext::Close() {
  if (!display_) return;
  if (context_) {
    if (glXGetCurrentContext() == context_) Release();
    glXDestroyContext(display_, context_);
    context_ = nullptr;
  }
  XCloseDisplay(display_);
  display_ = nullptr;
}

bool QueryDefaultScreenSize(unsigned* width, unsigned* height) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return false;
  int errorBase = 0, eventBase = 0;
  const bool glx = glXQueryExtension(display, &errorBase, &eventBase);
  *width = static_cast<unsigned>(DisplayWidth(display, DefaultScreen(display)));
  *height = static_cast<unsigned>(DisplayHeight(display, DefaultScreen(display)));
  XCloseDisplay(display);
  return glx;
}
