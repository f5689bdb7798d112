// Test support for the device, scene and allocator suites: a real X11 window, its pixels
// read back from the X server, PNG output, the grid plug-ins loaded from ovfx/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "scene/PluginRecord.h"
#include "wintypes.h"

struct _XDisplay;

// A mapped top-level window of the given client size, on a connection of its own.
class TestWindow {
 public:
  TestWindow(int width, int height);
  ~TestWindow();
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;

  HWND hwnd() const;
  int width() const { return width_; }
  int height() const { return height_; }
  // Destroys the X window now (the object stays).
  void Destroy();

 private:
  _XDisplay* display_ = nullptr;
  unsigned long window_ = 0;
  int width_;
  int height_;
};

// What the X server shows in a window: 0xRRGGBB per pixel, row 0 at the top.
struct Capture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
  std::uint32_t at(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
  bool WritePng(const std::string& path) const;
};
Capture CaptureWindow(HWND window);

inline int Red(std::uint32_t p) { return static_cast<int>((p >> 16) & 0xFF); }
inline int Green(std::uint32_t p) { return static_cast<int>((p >> 8) & 0xFF); }
inline int Blue(std::uint32_t p) { return static_cast<int>(p & 0xFF); }
// True when every channel is within the tolerance.
bool Near(std::uint32_t actual, std::uint32_t expected, int tolerance);

// A grid plug-in from the build's ovfx folder ("Split3x3" or "Split8x8"), bound as the host
// binds it. The library stays loaded for the rest of the test run.
PluginRecord LoadGridPlugin(const char* name);

// The default screen's size and root window, from the X server.
void DefaultScreenSize(int* width, int* height);
HWND DefaultRootWindowHandle();

// The build folder the suites write their pictures into.
std::string BuildDirectory();
