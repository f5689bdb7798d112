#include "MediaClock.h"

REFERENCE_TIME MediaClock::NowLocked(Steady::time_point now) const {
  if (!running_) return basePos_;
  const auto elapsed = std::chrono::duration_cast<std::chrono::nanoseconds>(now - baseTime_).count();
  return basePos_ + elapsed / 100;
}

void MediaClock::Reset(REFERENCE_TIME pos) {
  std::lock_guard lock(mutex_);
  running_ = false;
  basePos_ = pos;
}

void MediaClock::Start() {
  std::lock_guard lock(mutex_);
  if (running_) return;
  running_ = true;
  baseTime_ = Steady::now();
}

void MediaClock::Pause() {
  std::lock_guard lock(mutex_);
  if (!running_) return;
  basePos_ = NowLocked(Steady::now());
  running_ = false;
}

REFERENCE_TIME MediaClock::Now() const {
  std::lock_guard lock(mutex_);
  return NowLocked(Steady::now());
}

bool MediaClock::IsRunning() const {
  std::lock_guard lock(mutex_);
  return running_;
}

void MediaClock::SyncToAudio(REFERENCE_TIME pos) {
  std::lock_guard lock(mutex_);
  if (!running_) return;
  basePos_ = pos;
  baseTime_ = Steady::now();
}
