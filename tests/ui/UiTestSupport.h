// Shared by the ui suites: a Qt application on the test's X display and a loop runner.
#pragma once

#include <QCoreApplication>
#include <QThread>
#include <functional>
#include <string>
#include <vector>

#include "afxwin.h"

// Runs the event loop until the condition holds or the bound of rounds is spent.
inline bool PumpUntil(const std::function<bool()>& done, int rounds = 500) {
  for (int i = 0; i < rounds; ++i) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    if (done()) return true;
    QThread::msleep(10);
  }
  return done();
}

inline void Pump(int rounds) {
  PumpUntil([] { return false; }, rounds);
}

// Runs an X client tool (xdotool) and reports whether it succeeded.
inline bool RunTool(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; }

struct Message {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
