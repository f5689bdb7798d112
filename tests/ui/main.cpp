// The ui suites run inside a Qt application on the X display of the test session.
#include <gtest/gtest.h>

#include <QApplication>

#include "afxwin.h"

namespace {
CWinApp g_app;  // the application object the windows report to
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  qputenv("QT_QPA_PLATFORM", "xcb");
  QApplication application(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  return RUN_ALL_TESTS();
}
