#include "EventQueue.h"

#include <chrono>

#include "winuser.h"

void EventQueue::Post(LONG code, LONG_PTR param1, LONG_PTR param2) {
  HWND window;
  UINT msg;
  LONG_PTR instance;
  {
    std::lock_guard lock(mutex_);
    events_.push_back({code, param1, param2});
    window = window_;
    msg = msg_;
    instance = instance_;
  }
  queued_.notify_all();
  if (window) PostMessageW(window, msg, 0, instance);
}

HRESULT EventQueue::Get(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG msTimeout) {
  if (!code || !param1 || !param2) return E_POINTER;
  std::unique_lock lock(mutex_);
  const auto ready = [&] { return !events_.empty(); };
  if (msTimeout < 0) {
    queued_.wait(lock, ready);
  } else if (!queued_.wait_for(lock, std::chrono::milliseconds(msTimeout), ready)) {
    *code = 0;
    *param1 = *param2 = 0;
    return E_ABORT;
  }
  const Event event = events_.front();
  events_.pop_front();
  *code = event.code;
  *param1 = event.param1;
  *param2 = event.param2;
  return S_OK;
}

void EventQueue::SetNotify(HWND window, UINT msg, LONG_PTR instance) {
  std::lock_guard lock(mutex_);
  window_ = window;
  msg_ = msg;
  instance_ = instance;
}
