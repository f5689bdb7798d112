#include "PulseSink.h"

#include <pulse/pulseaudio.h>

#include <algorithm>
#include <cmath>

namespace {
class LoopLock {
 public:
  explicit LoopLock(pa_threaded_mainloop* loop) : loop_(loop) { pa_threaded_mainloop_lock(loop_); }
  ~LoopLock() { pa_threaded_mainloop_unlock(loop_); }
  LoopLock(const LoopLock&) = delete;
  LoopLock& operator=(const LoopLock&) = delete;

 private:
  pa_threaded_mainloop* loop_;
};
}  // namespace

PulseSink::~PulseSink() { Close(); }

// Main-loop thread callbacks: they only wake whoever waits.
void PulseSink::OnContextState(pa_context*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseSink*>(self)->loop_, 0);
}
void PulseSink::OnStreamState(pa_stream*, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseSink*>(self)->loop_, 0);
}
void PulseSink::OnWritable(pa_stream*, std::size_t, void* self) {
  pa_threaded_mainloop_signal(static_cast<PulseSink*>(self)->loop_, 0);
}
void PulseSink::OnDrained(pa_stream*, int, void* self) {
  auto* sink = static_cast<PulseSink*>(self);
  sink->drained_ = true;
  pa_threaded_mainloop_signal(sink->loop_, 0);
}

bool PulseSink::Open(int sampleRate, int channels) {
  Close();
  if (sampleRate <= 0 || channels <= 0 || channels > static_cast<int>(PA_CHANNELS_MAX)) return false;
  rate_ = sampleRate;
  channels_ = channels;
  loop_ = pa_threaded_mainloop_new();
  if (!loop_) return false;
  context_ = pa_context_new(pa_threaded_mainloop_get_api(loop_), "Orvane Movie Screen Saver");
  if (!context_) {
    Close();
    return false;
  }
  pa_context_set_state_callback(context_, &PulseSink::OnContextState, this);
  if (pa_context_connect(context_, nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0 ||
      pa_threaded_mainloop_start(loop_) < 0) {
    Close();
    return false;
  }
  bool ready = false;
  {
    LoopLock lock(loop_);
    for (;;) {
      const pa_context_state_t state = pa_context_get_state(context_);
      if (state == PA_CONTEXT_READY) {
        ready = true;
        break;
      }
      if (!PA_CONTEXT_IS_GOOD(state)) break;
      pa_threaded_mainloop_wait(loop_);
    }
  }
  if (!ready) Close();
  return ready;
}

void PulseSink::Close() {
  if (!loop_) return;
  StopStream();
  if (context_) {
    {
      LoopLock lock(loop_);
      pa_context_set_state_callback(context_, nullptr, nullptr);
      pa_context_disconnect(context_);
    }
  }
  pa_threaded_mainloop_stop(loop_);
  if (context_) pa_context_unref(context_);
  context_ = nullptr;
  pa_threaded_mainloop_free(loop_);
  loop_ = nullptr;
}

bool PulseSink::StartStream() {
  if (!loop_) return false;
  StopStream();
  LoopLock lock(loop_);
  interrupted_ = false;
  const pa_sample_spec sampleSpec = {PA_SAMPLE_FLOAT32LE, static_cast<std::uint32_t>(rate_),
                               static_cast<std::uint8_t>(channels_)};
  stream_ = pa_stream_new(context_, "Movie", &sampleSpec, nullptr);
  if (!stream_) return false;
  pa_stream_set_state_callback(stream_, &PulseSink::OnStreamState, this);
  pa_stream_set_write_callback(stream_, &PulseSink::OnWritable, this);
  pa_buffer_attr attr;
  attr.maxlength = static_cast<std::uint32_t>(-1);
  attr.tlength = static_cast<std::uint32_t>(pa_usec_to_bytes(200000, &sampleSpec));
  attr.prebuf = static_cast<std::uint32_t>(-1);
  attr.minreq = static_cast<std::uint32_t>(-1);
  attr.fragsize = static_cast<std::uint32_t>(-1);
  pa_cvolume volume;
  pa_cvolume_set(&volume, sampleSpec.channels, PA_VOLUME_NORM);
  const auto flags = static_cast<pa_stream_flags_t>(PA_STREAM_START_CORKED | PA_STREAM_INTERPOLATE_TIMING |
                                                    PA_STREAM_AUTO_TIMING_UPDATE | PA_STREAM_ADJUST_LATENCY);
  if (pa_stream_connect_playback(stream_, nullptr, &attr, flags, &volume, nullptr) < 0) {
    pa_stream_unref(stream_);
    stream_ = nullptr;
    return false;
  }
  for (;;) {
    const pa_stream_state_t state = pa_stream_get_state(stream_);
    if (state == PA_STREAM_READY) break;
    if (!PA_STREAM_IS_GOOD(state)) {
      pa_stream_set_state_callback(stream_, nullptr, nullptr);
      pa_stream_set_write_callback(stream_, nullptr, nullptr);
      pa_stream_unref(stream_);
      stream_ = nullptr;
      return false;
    }
    pa_threaded_mainloop_wait(loop_);
  }
  ApplyVolumeLocked();
  return true;
}

void PulseSink::StopStream() {
  if (!loop_) return;
  LoopLock lock(loop_);
  if (!stream_) return;
  pa_stream_set_state_callback(stream_, nullptr, nullptr);
  pa_stream_set_write_callback(stream_, nullptr, nullptr);
  pa_stream_disconnect(stream_);
  pa_stream_unref(stream_);
  stream_ = nullptr;
}

void PulseSink::SetPlaying(bool playing) {
  if (!loop_) return;
  LoopLock lock(loop_);
  if (!stream_) return;
  if (pa_operation* op = pa_stream_cork(stream_, playing ? 0 : 1, nullptr, nullptr)) pa_operation_unref(op);
}

void PulseSink::SetVolume(LONG hundredthsDb) {
  volume_ = hundredthsDb;
  if (!loop_) return;
  LoopLock lock(loop_);
  ApplyVolumeLocked();
}

void PulseSink::ApplyVolumeLocked() {
  if (!stream_) return;
  pa_volume_t level = PA_VOLUME_MUTED;
  if (volume_ > -10000) level = pa_sw_volume_from_linear(std::pow(10.0, volume_ / 2000.0));
  pa_cvolume volume;
  pa_cvolume_set(&volume, static_cast<unsigned>(channels_), level);
  if (pa_operation* op = pa_context_set_sink_input_volume(context_, pa_stream_get_index(stream_), &volume, nullptr,
                                                          nullptr))
    pa_operation_unref(op);
}

bool PulseSink::Write(const void* data, std::size_t bytes) {
  if (!loop_) return false;
  const auto* p = static_cast<const std::uint8_t*>(data);
  LoopLock lock(loop_);
  while (bytes > 0) {
    if (interrupted_) return false;
    // A server that went away drops the samples; the movie goes on silently.
    if (!stream_ || pa_stream_get_state(stream_) != PA_STREAM_READY) return true;
    const std::size_t room = pa_stream_writable_size(stream_);
    if (room == static_cast<std::size_t>(-1)) return true;
    if (room == 0) {
      pa_threaded_mainloop_wait(loop_);
      continue;
    }
    const std::size_t n = std::min(room, bytes);
    if (pa_stream_write(stream_, p, n, nullptr, 0, PA_SEEK_RELATIVE) < 0) return true;
    p += n;
    bytes -= n;
  }
  return true;
}

bool PulseSink::Drain() {
  if (!loop_) return false;
  LoopLock lock(loop_);
  if (interrupted_) return false;
  drained_ = false;
  pa_operation* op = stream_ ? pa_stream_drain(stream_, &PulseSink::OnDrained, this) : nullptr;
  if (!op) return true;  // nothing left that could play
  while (!drained_ && !interrupted_ && pa_stream_get_state(stream_) == PA_STREAM_READY)
    pa_threaded_mainloop_wait(loop_);
  if (!drained_) pa_operation_cancel(op);
  pa_operation_unref(op);
  return !interrupted_;
}

std::int64_t PulseSink::PlayedUs() {
  if (!loop_) return -1;
  LoopLock lock(loop_);
  pa_usec_t usec = 0;
  if (!stream_ || pa_stream_get_time(stream_, &usec) < 0) return -1;
  return static_cast<std::int64_t>(usec);
}

void PulseSink::Interrupt() {
  if (!loop_) return;
  LoopLock lock(loop_);
  interrupted_ = true;
  pa_threaded_mainloop_signal(loop_, 0);
}
