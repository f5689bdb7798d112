// The graph's presentation clock, in 100 ns units of the movie's timeline.
#pragma once

#include <chrono>
#include <mutex>

#include "wintypes.h"

// Runs on the system's monotonic clock from the last anchor. While sound plays, the audio
// thread re-anchors it to the position the sound output has reached, so video follows the
// audio; without sound (or once it has ended) it runs on the system clock alone.
class MediaClock {
 public:
  // Controlling (UI) thread: stops the clock at pos.
  void Reset(REFERENCE_TIME pos);
  // Controlling thread: the clock moves from where it stands.
  void Start();
  // Controlling thread: the clock stands still where it is.
  void Pause();
  // Any thread.
  REFERENCE_TIME Now() const;
  bool IsRunning() const;
  // Audio thread: the sound output has reached pos. Ignored while stopped.
  void SyncToAudio(REFERENCE_TIME pos);

 private:
  using Steady = std::chrono::steady_clock;
  REFERENCE_TIME NowLocked(Steady::time_point now) const;

  mutable std::mutex mutex_;
  bool running_ = false;
  REFERENCE_TIME basePos_ = 0;
  Steady::time_point baseTime_{};
};
