// The graph's event queue and its notification window.
#pragma once

#include <condition_variable>
#include <deque>
#include <mutex>

#include "wintypes.h"

class EventQueue {
 public:
  // Any thread: queues an event and posts the notification message, when one is set.
  void Post(LONG code, LONG_PTR param1, LONG_PTR param2);
  // Any thread: the oldest event, waiting up to msTimeout (negative: for ever); E_ABORT when
  // none came.
  HRESULT Get(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout);
  // UI thread: the window that receives msg (wParam 0, lParam instance) for every event
  // queued from now on; a null window stops the notifications.
  void SetNotify(HWND window, UINT msg, LONG_PTR instance);

 private:
  struct Event {
    LONG code;
    LONG_PTR param1;
    LONG_PTR param2;
  };
  std::mutex mutex_;
  std::condition_variable queued_;
  std::deque<Event> events_;
  HWND window_ = nullptr;
  UINT msg_ = 0;
  LONG_PTR instance_ = 0;
};
