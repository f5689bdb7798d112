// The audio decoder and the thread that feeds the sound output: packets of the audio stream
// in, 32-bit float samples (mono or stereo) out to the PulseAudio stream.
#pragma once

#include <functional>
#include <thread>
#include <vector>

#include "FfmpegSource.h"

struct SwrContext;
class PulseSink;
class MediaClock;

class AudioDecoder {
 public:
  AudioDecoder() = default;
  ~AudioDecoder();
  AudioDecoder(const AudioDecoder&) = delete;
  AudioDecoder& operator=(const AudioDecoder&) = delete;

  // UI thread. Opens the decoder of the source's audio stream.
  HRESULT Open(const FfmpegSource* source);
  // What the sound output must accept.
  int OutputRate() const { return rate_; }
  int OutputChannels() const { return channels_; }
  // UI thread, no thread running: forgets what the decoder holds; samples before
  // dropBefore are dropped.
  void Flush(REFERENCE_TIME dropBefore);

  // UI thread: starts the audio thread, which owns the decoder until Stop. It decodes the
  // packets of in, writes the samples to sink and re-anchors clock to what the sink has
  // played; after the null packet it plays out what is left and calls ended (on the audio
  // thread).
  void Start(PacketQueue* in, PulseSink* sink, MediaClock* clock, std::function<void()> ended);
  // UI thread: the queue must be closed and the sink interrupted first; joins the thread.
  void Stop();

 private:
  void AudioLoop(PacketQueue* in, PulseSink* sink, MediaClock* clock, const std::function<void()>& ended);
  // Audio thread: writes every decoded frame; false when the sink no longer takes samples.
  bool Deliver(PulseSink* sink, MediaClock* clock);
  bool WriteFrame(const AVFrame* frame, PulseSink* sink, MediaClock* clock);

  const FfmpegSource* source_ = nullptr;
  AVCodecContext* codec_ = nullptr;
  SwrContext* resampler_ = nullptr;
  int rate_ = 0;
  int channels_ = 0;
  REFERENCE_TIME dropBefore_ = 0;
  REFERENCE_TIME nextStart_ = 0;
  REFERENCE_TIME base_ = -1;  // timeline position of the first sample of the stream
  std::vector<float> buffer_;
  std::thread thread_;
};
