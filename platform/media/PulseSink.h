// The sound output: one PulseAudio playback stream of interleaved 32-bit float samples,
// driven by the PulseAudio threaded main loop.
#pragma once

#include <cstddef>
#include <cstdint>

#include "wintypes.h"

struct pa_threaded_mainloop;
struct pa_context;
struct pa_stream;

class PulseSink {
 public:
  PulseSink() = default;
  ~PulseSink();
  PulseSink(const PulseSink&) = delete;
  PulseSink& operator=(const PulseSink&) = delete;

  // UI thread. Connects to the sound server; false when there is none or it refuses us
  // (the movie then plays silently).
  bool Open(int sampleRate, int channels);
  int SampleRate() const { return rate_; }
  int Channels() const { return channels_; }

  // UI thread, audio thread not running: a new stream, corked (silent, time standing).
  bool StartStream();
  // UI thread, audio thread joined: drops the stream and what it had buffered.
  void StopStream();
  // UI thread: uncorks (true) or corks (false) the stream.
  void SetPlaying(bool playing);
  // UI thread: hundredths of a decibel, -10000 silent; applied now and to later streams.
  void SetVolume(LONG hundredthsDb);

  // Audio thread: writes all bytes, waiting for room. False only when interrupted (samples
  // for a server that went away are dropped).
  bool Write(const void* data, std::size_t bytes);
  // Audio thread: waits until everything written has been played. False when interrupted.
  bool Drain();
  // Audio thread: microseconds of this stream played so far; negative while unknown.
  std::int64_t PlayedUs();
  // Any thread: makes a waiting Write or Drain return false, until the next StartStream.
  void Interrupt();

 private:
  static void OnContextState(pa_context* c, void* self);
  static void OnStreamState(pa_stream* s, void* self);
  static void OnWritable(pa_stream* s, std::size_t bytes, void* self);
  static void OnDrained(pa_stream* s, int success, void* self);
  void ApplyVolumeLocked();
  void Close();

  pa_threaded_mainloop* loop_ = nullptr;
  pa_context* context_ = nullptr;
  pa_stream* stream_ = nullptr;
  int rate_ = 0;
  int channels_ = 0;
  LONG volume_ = 0;
  bool interrupted_ = false;  // guarded by the main loop's lock
  bool drained_ = false;      // guarded by the main loop's lock
};
