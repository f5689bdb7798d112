// A blocking queue of bounded length between two stages of the pipeline.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <optional>

// One producer thread pushes, one consumer thread pops. Close wakes both for good (until
// Reopen); the controlling thread closes before it joins either side.
template <class T>
class BoundedQueue {
 public:
  explicit BoundedQueue(std::size_t capacity) : capacity_(capacity) {}

  // Producer thread. Blocks while full; false (item dropped) once closed.
  bool Push(T item) {
    std::unique_lock lock(mutex_);
    notFull_.wait(lock, [&] { return closed_ || items_.size() < capacity_; });
    if (closed_) return false;
    items_.push_back(std::move(item));
    notEmpty_.notify_one();
    return true;
  }

  // Consumer thread. Blocks while empty; nothing once closed.
  std::optional<T> Pop() {
    std::unique_lock lock(mutex_);
    notEmpty_.wait(lock, [&] { return closed_ || !items_.empty(); });
    if (closed_) return std::nullopt;
    T item = std::move(items_.front());
    items_.pop_front();
    notFull_.notify_one();
    return item;
  }

  // Consumer thread: the next item without waiting, if there is one.
  bool HasItem() const {
    std::lock_guard lock(mutex_);
    return !closed_ && !items_.empty();
  }

  // Controlling thread: wakes both sides and refuses further items.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    notEmpty_.notify_all();
    notFull_.notify_all();
  }

  // Controlling thread, with both sides joined: empties the queue and opens it again.
  void Reopen() {
    std::deque<T> old;
    {
      std::lock_guard lock(mutex_);
      old.swap(items_);
      closed_ = false;
    }
  }

 private:
  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable notEmpty_;
  std::condition_variable notFull_;
  std::deque<T> items_;
  bool closed_ = false;
};
