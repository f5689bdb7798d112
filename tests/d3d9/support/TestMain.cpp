// Test main of the suites that use the device: Xlib is used from several threads.
#include <gtest/gtest.h>
// after gtest: Xlib's macros clash with its names
#include <X11/Xlib.h>

int main(int argc, char** argv) {
  XInitThreads();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
