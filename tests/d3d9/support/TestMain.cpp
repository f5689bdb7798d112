// Test main of the suites that use the device: Xlib is used from several threads.
#include <dlfcn.h>
#include <gtest/gtest.h>
// after gtest: Xlib's macros clash with its names
#include <X11/Xlib.h>

int main(int argc, char** argv) {
  XInitThreads();
  // Keep Mesa's software driver loaded to the end, so that a leak report names its frames
  // instead of an unloaded module.
  dlopen("/usr/lib/x86_64-linux-gnu/dri/swrast_dri.so", RTLD_NOW | RTLD_GLOBAL);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
